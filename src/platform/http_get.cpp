// The update check's HTTP/1.0 client: getaddrinfo, a non-blocking connect and
// poll in short steps, so a slow or silent server never holds the caller
// beyond the time limit and a stop request is seen within one step.
#include "platform/http_get.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace orvex {

namespace {

using Clock = std::chrono::steady_clock;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StopRequested(const HttpLimits& limits) {
    return limits.stop != nullptr && limits.stop->load(std::memory_order_relaxed);
}

int MillisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for `events` on `fd` in poll steps until the deadline; true when
// they came, false on timeout, stop or a poll failure.
bool WaitFor(int fd, short events, Clock::time_point deadline, const HttpLimits& limits) {
    for (;;) {
        if (StopRequested(limits)) return false;
        const int left = MillisecondsLeft(deadline);
        if (left == 0) return false;
        pollfd entry{fd, events, 0};
        const int step = left < limits.pollStepMs ? left : limits.pollStepMs;
        const int ready = ::poll(&entry, 1, step > 0 ? step : 1);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

class Socket {
  public:
    Socket() = default;
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    Socket(Socket&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Socket& operator=(Socket&& other) noexcept {
        if (this != &other) {
            if (m_fd >= 0) ::close(m_fd);
            m_fd = other.m_fd;
            other.m_fd = -1;
        }
        return *this;
    }
    int fd() const { return m_fd; }

  private:
    int m_fd = -1;
};

struct AddressList {
    addrinfo* head = nullptr;
    ~AddressList() {
        if (head != nullptr) ::freeaddrinfo(head);
    }
};

// A connected, non-blocking TCP socket to the first address that answers.
Socket Connect(const HttpAddress& address, const HttpLimits& limits) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    AddressList found;
    const std::string port = std::to_string(address.port);
    if (::getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found.head) != 0) return {};

    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limits.timeoutMs);
    for (addrinfo* entry = found.head; entry != nullptr; entry = entry->ai_next) {
        Socket socket(::socket(entry->ai_family, entry->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                               entry->ai_protocol));
        if (socket.fd() < 0) continue;
        if (::connect(socket.fd(), entry->ai_addr, entry->ai_addrlen) == 0) return socket;
        if (errno != EINPROGRESS) continue;
        if (!WaitFor(socket.fd(), POLLOUT, deadline, limits)) {
            if (StopRequested(limits) || MillisecondsLeft(deadline) == 0) return {};
            continue;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)
            return socket;
    }
    return {};
}

bool SendAll(int fd, const std::string& bytes, const HttpLimits& limits) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limits.timeoutMs);
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            WaitFor(fd, POLLOUT, deadline, limits))
            continue;
        return false;
    }
    return true;
}

}  // namespace

bool SplitHttpAddress(const std::string& url, HttpAddress& address) {
    std::string rest = url;
    const size_t scheme = rest.find("://");
    if (scheme != std::string::npos) {
        std::string name = rest.substr(0, scheme);
        for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (name != "http") return false;
        rest.erase(0, scheme + 3);
    }
    const size_t fragment = rest.find('#');
    if (fragment != std::string::npos) rest.erase(fragment);

    const size_t slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    HttpAddress parsed;
    parsed.path = slash == std::string::npos ? "/" : rest.substr(slash);

    std::string portText;
    if (!authority.empty() && authority.front() == '[') {
        const size_t close = authority.find(']');
        if (close == std::string::npos) return false;
        parsed.host = authority.substr(1, close - 1);
        const std::string after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') return false;
            portText = after.substr(1);
            if (portText.empty()) return false;
        }
    } else {
        const size_t colon = authority.rfind(':');
        parsed.host = authority.substr(0, colon);
        if (colon != std::string::npos) {
            portText = authority.substr(colon + 1);
            if (portText.empty()) return false;
        }
    }
    if (parsed.host.empty()) return false;
    for (char c : parsed.host) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '@') return false;
    }
    if (!portText.empty()) {
        if (portText.size() > 5) return false;
        int port = 0;
        for (char c : portText) {
            if (!IsDigit(c)) return false;
            port = port * 10 + (c - '0');
        }
        if (port < 1 || port > 65535) return false;
        parsed.port = port;
    }
    for (char c : parsed.path) {
        // The path goes into the request line as it is: no spaces or
        // control characters that would split or end the line.
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) return false;
    }
    address = parsed;
    return true;
}

std::string HttpRequestText(const HttpAddress& address, const std::string& userAgent) {
    const std::string agent = userAgent.empty() ? kDefaultUserAgent : userAgent;
    std::string request;
    request.append("GET ").append(address.path).append(" HTTP/1.0\r\n");
    request.append("Host: ").append(address.host).append("\r\n");
    request.append("Accept: */*\r\n");
    request.append("User-Agent: ").append(agent).append("\r\n");
    request.append("Connection: close\r\n\r\n");
    return request;
}

std::string ReplyBody(const std::string& reply) {
    static const std::string kEmptyLine = "\r\n\r\n";
    const size_t start = reply.find(kEmptyLine);
    if (start == std::string::npos) return "";
    std::string body = reply.substr(start + kEmptyLine.size());
    const size_t end = body.find(kEmptyLine);
    if (end != std::string::npos) body.erase(end);
    const char* space = " \t\r\n";
    const size_t first = body.find_first_not_of(space);
    if (first == std::string::npos) return "";
    const size_t last = body.find_last_not_of(space);
    return body.substr(first, last - first + 1);
}

std::string HttpFetchReply(const HttpAddress& address, const std::string& userAgent,
                           const HttpLimits& limits) {
    if (limits.bufferSize == 0 || limits.pollStepMs <= 0) return "";
    std::vector<char> buffer(limits.bufferSize);
    Socket socket = Connect(address, limits);
    if (socket.fd() < 0) return "";
    if (!SendAll(socket.fd(), HttpRequestText(address, userAgent), limits)) return "";

    // Reads go one after the other into the buffer until the server closes,
    // a read fails, the buffer is full or the time limit since sending is
    // over. A reply longer than the buffer keeps its first bytes.
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limits.timeoutMs);
    size_t filled = 0;
    while (filled < buffer.size()) {
        if (!WaitFor(socket.fd(), POLLIN, deadline, limits)) break;
        const ssize_t n = ::recv(socket.fd(), buffer.data() + filled, buffer.size() - filled, 0);
        if (n > 0) {
            filled += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        break;
    }
    if (StopRequested(limits)) return "";
    return std::string(buffer.data(), filled);
}

std::string WebGetText(const std::string& url, const std::string& userAgent,
                       const HttpLimits& limits) {
    if (url.empty()) return "";
    HttpAddress address;
    if (!SplitHttpAddress(url, address)) return "";
    const std::string body = ReplyBody(HttpFetchReply(address, userAgent, limits));
    return body.substr(0, body.size() < 3 ? body.size() : 3);
}

}  // namespace orvex

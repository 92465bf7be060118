// The test HTTP server: one thread, one connection at a time.
#include "support/http_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace orvex::test_support {

namespace {

using Clock = std::chrono::steady_clock;

int ListenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

}  // namespace

std::string HttpReply(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

TestHttpServer::TestHttpServer(std::vector<Reply> replies, int timeLimitMs) {
    m_listener = ListenOnLoopback(m_port);
    if (m_listener >= 0)
        m_thread = std::thread([this, replies = std::move(replies), timeLimitMs]() mutable {
            Serve(std::move(replies), timeLimitMs);
        });
}

TestHttpServer::~TestHttpServer() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_listener >= 0) ::close(m_listener);
}

std::string TestHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<std::string> TestHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

int TestHttpServer::UnusedPort() {
    int port = 0;
    const int fd = ListenOnLoopback(port);
    if (fd >= 0) ::close(fd);
    return port;
}

bool TestHttpServer::Pause(int ms) const {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        if (m_stop) return false;
        ::usleep(5000);
    }
    return !m_stop;
}

void TestHttpServer::Serve(std::vector<Reply> replies, int timeLimitMs) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeLimitMs);
    for (const Reply& reply : replies) {
        int client = -1;
        while (client < 0 && !m_stop && Clock::now() < end) {
            pollfd entry{m_listener, POLLIN, 0};
            if (::poll(&entry, 1, 20) > 0) client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        }
        if (client < 0) return;

        // The request ends with its empty line; stop reading there (or after
        // a second, or 8 KB).
        std::string request;
        const Clock::time_point readEnd = Clock::now() + std::chrono::seconds(1);
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 8192 &&
               Clock::now() < readEnd && !m_stop) {
            pollfd entry{client, POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0) continue;
            char chunk[512];
            const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            request.append(chunk, static_cast<size_t>(n));
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(request);
        }
        if (Pause(reply.delayMs)) {
            auto sendPart = [client](const std::string& part) {
                size_t sent = 0;
                while (sent < part.size()) {
                    const ssize_t n =
                        ::send(client, part.data() + sent, part.size() - sent, MSG_NOSIGNAL);
                    if (n <= 0) return;
                    sent += static_cast<size_t>(n);
                }
            };
            if (reply.splitAt > 0 && reply.splitAt < reply.bytes.size()) {
                sendPart(reply.bytes.substr(0, reply.splitAt));
                if (Pause(50)) sendPart(reply.bytes.substr(reply.splitAt));
            } else {
                sendPart(reply.bytes);
            }
            Pause(reply.holdMs);
        }
        ::close(client);
    }
}

}  // namespace orvex::test_support

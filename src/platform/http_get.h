// A minimal HTTP/1.0 client over POSIX sockets for the update check: one GET,
// the reply read into a small fixed buffer, the body's first characters.
#pragma once

#include <atomic>
#include <string>

namespace orvex {

// The parts of an "http://host[:port]/path" address.
struct HttpAddress {
    std::string host;      // without brackets for an IPv6 literal
    int port = 80;
    std::string path = "/";  // always begins with "/"
};

// Splits an HTTP address. "http://" may be left out; any other scheme, an
// empty host or a port outside 1..65535 fails. A fragment is dropped.
bool SplitHttpAddress(const std::string& url, HttpAddress& address);

// The user agent sent when the caller gives none.
inline constexpr const char* kDefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; en)";

// The exact request bytes: GET line, Host, Accept, User-Agent, Connection,
// each ending in CR LF, then an empty line.
std::string HttpRequestText(const HttpAddress& address, const std::string& userAgent);

// The body of a reply held in the receive buffer: the text after the first
// empty line, up to a second one if there is one, with surrounding white
// space removed; "" when the reply has no empty line.
std::string ReplyBody(const std::string& reply);

struct HttpLimits {
    int timeoutMs = 10000;    // since the request was sent (and for connecting)
    int pollStepMs = 20;      // how often the socket and `stop` are looked at
    size_t bufferSize = 2048; // the reply kept: its first bufferSize bytes
    // When set and true, the exchange ends at the next poll step with "".
    const std::atomic<bool>* stop = nullptr;
};

// Fetches `url` and returns the first three characters of the reply's body,
// or "" on any failure (bad address, no connection, nothing received in
// time, no empty line, an empty body, a stop request).
std::string WebGetText(const std::string& url, const std::string& userAgent,
                       const HttpLimits& limits = {});

// The whole receive buffer of one exchange; "" on failure. WebGetText is
// this plus ReplyBody.
std::string HttpFetchReply(const HttpAddress& address, const std::string& userAgent,
                           const HttpLimits& limits = {});

}  // namespace orvex

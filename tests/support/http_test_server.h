// Test helper: a small HTTP server on 127.0.0.1 and an ephemeral port that
// answers a fixed list of connections in order, records the request bytes
// of each and stops after the list or its time limit, whichever is first.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvex::test_support {

class TestHttpServer {
  public:
    struct Reply {
        std::string bytes;    // sent as it is
        int delayMs = 0;      // wait before sending
        int holdMs = 0;       // keep the connection open this long after sending
        size_t splitAt = 0;   // when > 0, send the bytes in two parts 50 ms apart
    };

    explicit TestHttpServer(std::vector<Reply> replies, int timeLimitMs = 10000);
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" + path.
    std::string Url(const std::string& path = "/files/orvex.dat") const;
    // The request bytes of each connection served so far.
    std::vector<std::string> Requests() const;

    // A port on 127.0.0.1 that was free a moment ago and has no listener.
    static int UnusedPort();

  private:
    void Serve(std::vector<Reply> replies, int timeLimitMs);
    bool Pause(int ms) const;  // false when stopping

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};

// A whole HTTP reply with `body` after the headers.
std::string HttpReply(const std::string& body);

}  // namespace orvex::test_support

// The update check's HTTP client against a real server on 127.0.0.1: the
// request bytes, the reading rules and every way a reply can go wrong.
#include "platform/http_get.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/http_test_server.h"

using namespace orvex;
using orvex::test_support::HttpReply;
using orvex::test_support::TestHttpServer;

namespace {

// Short limits so the slow cases take a fraction of a second.
HttpLimits Quick(int timeoutMs = 400) {
    HttpLimits limits;
    limits.timeoutMs = timeoutMs;
    return limits;
}

std::string FetchOne(TestHttpServer::Reply reply, const HttpLimits& limits = Quick(2000)) {
    TestHttpServer server({std::move(reply)});
    return WebGetText(server.Url(), "Agent 1", limits);
}

}  // namespace

TEST(SplitHttpAddress, HostPortAndPath) {
    struct Row {
        const char* url;
        const char* host;
        int port;
        const char* path;
    };
    const Row rows[] = {
        {"http://lumavert.example/files/orvex.dat", "lumavert.example", 80, "/files/orvex.dat"},
        {"http://lumavert.example:8080/files/orvex.dat", "lumavert.example", 8080,
         "/files/orvex.dat"},
        {"HTTP://Host.Example", "Host.Example", 80, "/"},
        {"host.example/a?x=1#part", "host.example", 80, "/a?x=1"},
        {"http://[::1]:81/v", "::1", 81, "/v"},
    };
    for (const Row& row : rows) {
        HttpAddress address;
        ASSERT_TRUE(SplitHttpAddress(row.url, address)) << row.url;
        EXPECT_EQ(address.host, row.host) << row.url;
        EXPECT_EQ(address.port, row.port) << row.url;
        EXPECT_EQ(address.path, row.path) << row.url;
    }
    for (const char* bad : {"https://host/x", "http://", "http://:80/x", "http://host:0/",
                            "http://host:65536/", "http://host:8o/", "http://host:/x",
                            "http://host/a b", "http://[::1/x", "ftp://host/x"}) {
        HttpAddress address;
        EXPECT_FALSE(SplitHttpAddress(bad, address)) << bad;
    }
}

TEST(ReplyBody, TextAfterTheFirstEmptyLine) {
    EXPECT_EQ(ReplyBody("HTTP/1.0 200 OK\r\nA: b\r\n\r\n  311 \r\n"), "311");
    EXPECT_EQ(ReplyBody("HTTP/1.0 200 OK\r\n\r\n310\r\n\r\nmore"), "310");
    EXPECT_EQ(ReplyBody("HTTP/1.0 200 OK\r\nA: b\r\n311"), "");
    EXPECT_EQ(ReplyBody("HTTP/1.0 200 OK\r\n\r\n   "), "");
}

TEST(WebGetText, SendsTheExactRequestAndReadsTheCode) {
    TestHttpServer server({{HttpReply("311\r\n")}});
    EXPECT_EQ(WebGetText(server.Url("/files/orvex.dat"), "Lumavert Orvex 3.1", Quick(2000)),
              "311");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0],
              "GET /files/orvex.dat HTTP/1.0\r\n"
              "Host: 127.0.0.1\r\n"
              "Accept: */*\r\n"
              "User-Agent: Lumavert Orvex 3.1\r\n"
              "Connection: close\r\n\r\n");
}

TEST(WebGetText, EmptyAgentSendsTheDefaultOne) {
    TestHttpServer server({{HttpReply("305")}});
    EXPECT_EQ(WebGetText(server.Url(), "", Quick(2000)), "305");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_NE(server.Requests()[0].find("\r\nUser-Agent: " + std::string(kDefaultUserAgent) +
                                        "\r\n"),
              std::string::npos);
}

TEST(WebGetText, FirstThreeCharactersOfTheBody) {
    EXPECT_EQ(FetchOne({HttpReply("3.11")}), "3.1");
    EXPECT_EQ(FetchOne({HttpReply("  310\n")}), "310");
    EXPECT_EQ(FetchOne({HttpReply("ab")}), "ab");
}

TEST(WebGetText, ReplyInTwoPartsIsReadWhole) {
    // Headers in one segment and the body 50 ms later: the second read adds
    // to the first instead of writing over it.
    const std::string reply = HttpReply("311");
    EXPECT_EQ(FetchOne({reply, 0, 0, reply.size() - 3}), "311");
}

TEST(WebGetText, LongReplyKeepsItsFirstBufferFull) {
    // 10 KB: the code right after short headers survives ...
    EXPECT_EQ(FetchOne({HttpReply("311" + std::string(10 * 1024, 'x'))}), "311");
    // ... but an empty line beyond the first 2048 bytes is never seen.
    const std::string longHeaders =
        "HTTP/1.0 200 OK\r\nX-Pad: " + std::string(10 * 1024, 'p') + "\r\n\r\n311";
    EXPECT_EQ(FetchOne({longHeaders}), "");
}

TEST(WebGetText, FailuresGiveAnEmptyText) {
    EXPECT_EQ(WebGetText("", "", Quick()), "");
    // A reply without an empty line.
    EXPECT_EQ(FetchOne({"HTTP/1.0 200 OK\r\n311"}), "");
    // The server closes without a word.
    EXPECT_EQ(FetchOne({""}), "");
    // Nobody listens on the port.
    const int port = TestHttpServer::UnusedPort();
    ASSERT_GT(port, 0);
    EXPECT_EQ(WebGetText("http://127.0.0.1:" + std::to_string(port) + "/files/orvex.dat", "",
                         Quick()),
              "");
}

TEST(WebGetText, SilentServerEndsAtTheTimeLimit) {
    TestHttpServer server({{"", 0, 3000}});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WebGetText(server.Url(), "", Quick(300)), "");
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    EXPECT_GE(spent.count(), 280);
    EXPECT_LT(spent.count(), 1500);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(WebGetText, ServerThatKeepsTheConnectionOpenGivesWhatItSent) {
    // The body arrives but the connection stays open: the time limit ends
    // the reading and the code already received counts.
    EXPECT_EQ(FetchOne({HttpReply("311"), 0, 3000}, Quick(300)), "311");
}

TEST(WebGetText, StopRequestEndsTheWaitWithinAStep) {
    TestHttpServer server({{"", 0, 3000}});
    std::atomic<bool> stop{false};
    HttpLimits limits = Quick(5000);
    limits.stop = &stop;
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stop = true;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WebGetText(server.Url(), "", limits), "");
    stopper.join();
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    EXPECT_LT(spent.count(), 1000);
}

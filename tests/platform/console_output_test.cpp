// Console lines on two descriptors, and the key wait on a real terminal.
#include "platform/console_output.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

namespace orvex {
namespace {

std::string Drain(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(got));
    return text;
}

struct Pipes {
    int out[2];
    int err[2];
    Pipes() {
        EXPECT_EQ(::pipe(out), 0);
        EXPECT_EQ(::pipe(err), 0);
    }
    // Closes the writing ends and returns what was written to each.
    std::pair<std::string, std::string> Finish() {
        ::close(out[1]);
        ::close(err[1]);
        auto result = std::make_pair(Drain(out[0]), Drain(err[0]));
        ::close(out[0]);
        ::close(err[0]);
        return result;
    }
};

TEST(ConsoleOutput, ErrorLinesGoToTheErrorStreamAndEmptyLinesAreOneSpace) {
    Pipes pipes;
    {
        ConsoleOutput console(pipes.out[1], pipes.err[1]);
        console.PrintLine("Preparing...");
        console.PrintLine("");
        console.PrintLine("Error: Invalid input file");
        console.PrintLine("Errors: not an error line");
        console.PrintLine("Caf\xC3\xA9 \xE2\x9C\x93");
        console.PrintErrorText("orvex: plain message");
    }
    auto [out, err] = pipes.Finish();
    EXPECT_EQ(out, "Preparing...\n \nErrors: not an error line\nCaf\xC3\xA9 \xE2\x9C\x93\n");
    EXPECT_EQ(err, "Error: Invalid input file\norvex: plain message\n");
}

TEST(ConsoleOutput, LinesFromSeveralThreadsStayWhole) {
    Pipes pipes;
    std::string out;
    std::thread reader([&] { out = Drain(pipes.out[0]); });
    {
        ConsoleOutput console(pipes.out[1], pipes.err[1]);
        std::vector<std::thread> writers;
        for (int t = 0; t < 4; ++t) {
            writers.emplace_back([&console, t] {
                std::string line(300, static_cast<char>('a' + t));
                for (int i = 0; i < 200; ++i) console.PrintLine(line);
            });
        }
        for (auto& writer : writers) writer.join();
    }
    ::close(pipes.out[1]);
    reader.join();
    ::close(pipes.out[0]);
    ::close(pipes.err[0]);
    ::close(pipes.err[1]);
    size_t lines = 0;
    for (size_t at = 0; at < out.size(); at += 301, ++lines) {
        ASSERT_EQ(out.substr(at, 300), std::string(300, out[at]));
        ASSERT_EQ(out[at + 300], '\n');
    }
    EXPECT_EQ(lines, 800u);
}

TEST(WaitForKeyPress, ReturnsAtOnceWithoutATerminal) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    EXPECT_FALSE(IsTerminal(fds[0]));
    EXPECT_FALSE(WaitForKeyPress(fds[0]));  // would block forever if it read
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(WaitForKeyPress, TakesOneKeyFromATerminalAndRestoresIt) {
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(slave, &before), 0);
    ASSERT_TRUE(before.c_lflag & ICANON);
    EXPECT_TRUE(IsTerminal(slave));
    // No Enter follows: line buffering must be off for the wait to end.
    ASSERT_EQ(::write(master, "xy", 2), 2);
    EXPECT_TRUE(WaitForKeyPress(slave));
    termios after{};
    ASSERT_EQ(::tcgetattr(slave, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    // Exactly one key was taken.
    char rest = 0;
    ::fcntl(slave, F_SETFL, O_NONBLOCK);
    termios raw = after;
    raw.c_lflag &= static_cast<tcflag_t>(~ICANON);
    ::tcsetattr(slave, TCSANOW, &raw);
    EXPECT_EQ(::read(slave, &rest, 1), 1);
    EXPECT_EQ(rest, 'y');
    ::close(slave);
    ::close(master);
}

TEST(WaitForKeyPress, CtrlCIsAKeyAndLeavesTheTerminalAsItWas) {
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(slave, &before), 0);
    ASSERT_TRUE(before.c_lflag & ISIG);
    // The terminal acts on Ctrl+C as it arrives, so the keys are typed only
    // once the wait has switched the terminal. With signals still on, it
    // would swallow the Ctrl+C (and signal the process, leaving echo off);
    // it must be the key that ends the wait, so the "z" after it stays unread.
    std::thread typist([master, slave] {
        termios now{};
        do {
            std::this_thread::yield();
            ::tcgetattr(slave, &now);
        } while (now.c_lflag & ICANON);
        EXPECT_EQ(::write(master, "\x03z", 2), 2);
    });
    EXPECT_TRUE(WaitForKeyPress(slave));
    typist.join();
    termios after{};
    ASSERT_EQ(::tcgetattr(slave, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    ::fcntl(slave, F_SETFL, O_NONBLOCK);
    termios raw = after;
    raw.c_lflag &= static_cast<tcflag_t>(~ICANON);
    ::tcsetattr(slave, TCSANOW, &raw);
    char rest = 0;
    EXPECT_EQ(::read(slave, &rest, 1), 1);
    EXPECT_EQ(rest, 'z');
    ::close(slave);
    ::close(master);
}

}  // namespace
}  // namespace orvex

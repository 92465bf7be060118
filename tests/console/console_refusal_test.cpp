// End-to-end runs of the real executable for what the console refuses and
// what it says went wrong: unknown options and unreadable values, values out
// of range, every file a shell expands, the cause of each failed file on
// standard error, write errors, and the progress line on a terminal.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "console/console_test_support.h"

namespace orvex {
namespace {

using test::ProcessResult;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

class ConsoleRefusalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test::WriteTestHdr(File("a.hdr")));
        fs::create_directory(File("out"));
    }
    ProcessResult Run(const Lines& arguments) { return test::RunOrvex(arguments, m_temp.Path()); }
    std::string File(const std::string& name) const { return m_temp.File(name); }
    bool Has(const Lines& lines, const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    test_support::ScopedTempFolder m_temp{"console-refusal"};
};

struct Refusal {
    Lines options;
    std::string error;  // the whole error line
};

// Mistakes on the command line end the run before the banner.
TEST_F(ConsoleRefusalTest, UnknownOptionsAndUnreadableValuesEndTheRunBeforeAnyWork) {
    const std::vector<Refusal> refusals{
        {{"--jpg-qualty=50"}, "Error: Unknown option: --jpg-qualty"},
        {{"-x"}, "Error: Unknown option: -x"},
        {{"--Resize-Algorithm=LANCOZ"},
         "Error: Invalid value for --Resize-Algorithm: LANCOZ (accepted: one of BOX, BILINEAR, "
         "BSPLINE, BICUBIC, CATMULLROM, LANCZOS)"},
        {{"--dither=FOO"},
         "Error: Invalid value for --dither: FOO (accepted: one of FS, BAYER4, BAYER8, BAYER16, "
         "CLUSTER6, CLUSTER8, CLUSTER16)"},
        {{"--wm-text-position=bottom-right"},
         "Error: Invalid value for --wm-text-position: bottom-right (accepted: one of TOPLEFT, "
         "TOPCENTER, TOPRIGHT, MIDDLELEFT, MIDDLECENTER, MIDDLERIGHT, BOTTOMLEFT, BOTTOMCENTER, "
         "BOTTOMRIGHT)"},
        {{"--gamma=1,2"},
         "Error: Invalid value for --gamma: 1,2 (accepted: a decimal number from 0.01 to 9.99)"},
        {{"--wm-font-color=red"},
         "Error: Invalid value for --wm-font-color: red (accepted: six hexadecimal digits "
         "RRGGBB)"},
        {{"--width=12px", "--height=10"},
         "Error: Invalid value for --width: 12px (accepted: a whole number from 0 to 65500)"},
        {{"--jobs=0"}, "Error: Invalid value for --jobs: 0 (accepted: a whole number, 1 or more)"},
    };
    for (const Refusal& refusal : refusals) {
        Lines arguments{"-i", "a.hdr", "-o", "out"};
        arguments.insert(arguments.end(), refusal.options.begin(), refusal.options.end());
        ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << refusal.error;
        EXPECT_EQ(result.err, refusal.error + "\n");
        EXPECT_EQ(result.out, "") << refusal.error;
    }
    EXPECT_TRUE(fs::is_empty(File("out")));
}

// Values out of range are refused by the settings check, after the banner
// like the other checks, and before the chain's own checks load anything.
TEST_F(ConsoleRefusalTest, ValuesOutsideTheirRangeAreRefusedWithTheRange) {
    const std::vector<Refusal> refusals{
        {{"--rotation=450"}, "Error: Invalid value for --rotation: 450 (accepted: a whole number from 0 to 360)"},
        {{"--rotation=-270"}, "Error: Invalid value for --rotation: -270 (accepted: a whole number from 0 to 360)"},
        {{"--threshold=300"}, "Error: Invalid value for --threshold: 300 (accepted: a whole number from 0 to 255)"},
        {{"--threshold=-1"}, "Error: Invalid value for --threshold: -1 (accepted: a whole number from 0 to 255)"},
        {{"--fr-solid-left=2", "--fr-solid-opacity=0"}, "Error: Invalid value for --fr-solid-opacity: 0 (accepted: a whole number from 1 to 255)"},
        {{"--wm-text=x", "--wm-text-opacity=256"}, "Error: Invalid value for --wm-text-opacity: 256 (accepted: a whole number from 1 to 255)"},
        {{"--wm-back-opacity=0"}, "Error: Invalid value for --wm-back-opacity: 0 (accepted: a whole number from 1 to 255)"},
        {{"--wm-image=a.hdr", "--wm-image-opacity=300"}, "Error: Invalid value for --wm-image-opacity: 300 (accepted: a whole number from 1 to 255)"},
        {{"--width=-5", "--height=10"}, "Error: Invalid value for --width: -5 (accepted: a whole number from 0 to 65500)"},
        {{"--width=10", "--height=65501"}, "Error: Invalid value for --height: 65501 (accepted: a whole number from 0 to 65500)"},
        {{"--drago-bias=1.2"}, "Error: Invalid value for --drago-bias: 1.2 (accepted: a decimal number from 0.5 to 1)"},
        {{"--drago-exposure=-9"}, "Error: Invalid value for --drago-exposure: -9 (accepted: a decimal number from -8 to 8)"},
        {{"--wm-text=x", "--wm-font-size=0"}, "Error: Invalid value for --wm-font-size: 0 (accepted: a whole number from 1 to 1000)"},
        {{"--wm-text=x", "--wm-font=No Such Face Xyzzy", "--wm-font-size=-3"}, "Error: Invalid value for --wm-font-size: -3 (accepted: a whole number from 1 to 1000)"},
    };
    for (const Refusal& refusal : refusals) {
        Lines arguments{"-i", "a.hdr", "-o", "out"};
        arguments.insert(arguments.end(), refusal.options.begin(), refusal.options.end());
        ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << refusal.error;
        EXPECT_EQ(result.err, refusal.error + "\n");
    }
    // The lines of the checks that had one stay as they were.
    ProcessResult quality = Run({"-i", "a.hdr", "-o", "out", "--jpg-quality=0", "--rotation=999"});
    EXPECT_EQ(quality.err, "Error: Invalid jpg-quality value\n");
    ProcessResult width = Run({"-i", "a.hdr", "-o", "out", "--width=800"});
    EXPECT_EQ(width.err, "Error: Invalid height value\n");
    EXPECT_TRUE(fs::is_empty(File("out")));
}

TEST_F(ConsoleRefusalTest, AProfileWarnsOfUnknownKeysAndRefusesUnreadableValues) {
    test_support::WriteFileBytes(File("p.ini"),
                                 "[CLI]\n--JPG-QUALTY = 50\n--FR-SOLID-OPACITY = 9\n");
    ProcessResult warned = Run({"-q", "-i", "a.hdr", "-o", "out", "--profile=p.ini"});
    EXPECT_EQ(warned.exitCode, 0);
    EXPECT_EQ(warned.errLines(), (Lines{"Warning: p.ini: unknown option --JPG-QUALTY",
                                        "Warning: p.ini: unknown option --FR-SOLID-OPACITY"}));
    EXPECT_EQ(warned.out, "");
    EXPECT_TRUE(fs::exists(File("out/a.jpg")));
    fs::remove(File("out/a.jpg"));

    test_support::WriteFileBytes(File("bad.ini"), "[CLI]\n--ROTATION-TYPE = sideways\n");
    ProcessResult refused = Run({"-i", "a.hdr", "-o", "out", "--profile=bad.ini"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err,
              "Error: Invalid value for --ROTATION-TYPE: sideways (accepted: one of SIMPLE, "
              "ADVANCED)\n");
    EXPECT_TRUE(fs::is_empty(File("out")));
}

TEST_F(ConsoleRefusalTest, EveryFileAShellExpandsIsConverted) {
    for (const char* name : {"b.hdr", "c.hdr"}) ASSERT_TRUE(test::WriteTestHdr(File(name)));
    test::Process shell("/bin/sh", {"-c", "exec \"$0\" -i *.hdr -o out", ORVEX_EXECUTABLE},
                        m_temp.Path());
    shell.Start();
    ProcessResult result = shell.Wait();
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(Has(result.outLines(), "Import complete, new files added: 3"));
    EXPECT_TRUE(Has(result.outLines(), "Files converted: 3 of 3"));
    for (const char* name : {"out/a.jpg", "out/b.jpg", "out/c.jpg"})
        EXPECT_TRUE(fs::exists(File(name))) << name;
    // A stray name that is no file is refused like a missing "-i".
    ProcessResult missing = Run({"-i", "a.hdr", "nothing.hdr", "-o", "out"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.errLines(), (Lines{"Error: Invalid input file",
                                         "orvex: nothing.hdr: No such file or directory"}));
}

TEST_F(ConsoleRefusalTest, RefusedInputsAndOutputFoldersAreNamedWithTheirCause) {
    test_support::WriteFileBytes(File("empty.hdr"), "");
    fs::create_directory(File("folder.hdr"));
    fs::copy_file(File("a.hdr"), File("noext"));
    const std::vector<std::pair<Lines, Lines>> cases{
        {{"-i", "missing.hdr", "-o", "out"},
         {"Error: Invalid input file", "orvex: missing.hdr: No such file or directory"}},
        {{"-i", "folder.hdr", "-o", "out"},
         {"Error: Invalid input file", "orvex: folder.hdr: is a folder"}},
        {{"-i", "empty.hdr", "-o", "out"},
         {"Error: Invalid input file", "orvex: empty.hdr: is empty"}},
        {{"-i", "noext", "-o", "out"},
         {"Error: Invalid input file", "orvex: noext: has no file extension"}},
        {{"-i", "a.hdr", "-o", "nowhere"},
         {"Error: Invalid output folder", "orvex: nowhere: No such file or directory"}},
        {{"-i", "a.hdr", "-o", "a.hdr"},
         {"Error: Invalid output folder", "orvex: a.hdr: is not a folder"}},
        {{"-i", "a.hdr", "-o", "../x"},
         {"Error: Incorrect output folder", "orvex: ../x: leads out of the working folder"}},
    };
    for (const auto& [arguments, lines] : cases) {
        ProcessResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << lines.back();
        EXPECT_EQ(result.errLines(), lines);
    }
    // In a batch, a named picture that cannot be read as one fails alone.
    ProcessResult batch = Run({"-q", "-i", "a.hdr", "-i", "empty.hdr", "-i", "folder.hdr", "-o", "out"});
    EXPECT_EQ(batch.exitCode, 1);
    EXPECT_EQ(batch.errLines(), (Lines{"orvex: empty.hdr: The input is empty",
                                       "orvex: folder.hdr: The input is a folder"}));
    EXPECT_TRUE(fs::exists(File("out/a.jpg")));
}

// Each file that fails says why on standard error, in quiet mode too; the
// report on standard output stays as it was.
TEST_F(ConsoleRefusalTest, EachFailedFileGivesItsCauseOnStandardError) {
    test_support::WriteFileBytes(File("bad.hdr"),
                                 "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 4000 +X 4000\nxx");
    ProcessResult truncated = Run({"-q", "-i", "bad.hdr", "-o", "out"});
    EXPECT_EQ(truncated.exitCode, 1);
    EXPECT_EQ(truncated.outLines(), (Lines{"Conversion stopped"}));
    ASSERT_EQ(truncated.errLines().size(), 1u) << truncated.err;
    EXPECT_EQ(truncated.errLines()[0].rfind("orvex: bad.hdr: ", 0), 0u) << truncated.err;
    EXPECT_GT(truncated.errLines()[0].size(), std::string("orvex: bad.hdr: ").size() + 5);

    ProcessResult mask = Run({"-q", "-i", "a.hdr", "-o", "out", "--filename-mask=nosuch/%filename%.%ext%"});
    EXPECT_EQ(mask.exitCode, 1);
    ASSERT_EQ(mask.errLines().size(), 1u) << mask.err;
    EXPECT_EQ(mask.errLines()[0].rfind("orvex: a.hdr: ", 0), 0u) << mask.err;

    // In a batch the good files still convert and each bad one is named twice:
    // its cause on standard error, "Not converted" in the report.
    ProcessResult batch = Run({"-i", "a.hdr", "bad.hdr", "-o", "out"});
    EXPECT_EQ(batch.exitCode, 1);
    EXPECT_TRUE(Has(batch.outLines(), "Not converted: bad.hdr"));
    EXPECT_EQ(batch.errLines().size(), 1u) << batch.err;
    EXPECT_TRUE(fs::exists(File("out/a.jpg")));
}

// A folder the run may not write into. Run as root, the program is started
// as "nobody", for whom the permissions hold.
TEST_F(ConsoleRefusalTest, AFolderWithoutWritePermissionIsTheFilesCause) {
    fs::create_directory(File("locked"));
    fs::permissions(m_temp.Folder(), fs::perms::all);
    fs::permissions(File("a.hdr"), fs::perms::owner_all | fs::perms::others_read |
                                       fs::perms::group_read);
    fs::permissions(File("locked"), fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::others_read | fs::perms::others_exec |
                                        fs::perms::group_read | fs::perms::group_exec);
    Lines arguments{"-q", "-i", "a.hdr", "-o", "locked"};
    std::string program = ORVEX_EXECUTABLE;
    if (::geteuid() == 0) {
        arguments.insert(arguments.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups",
                                             ORVEX_EXECUTABLE});
        program = "/usr/bin/setpriv";
    }
    test::Process process(program, arguments, m_temp.Path());
    process.Start();
    ProcessResult result = process.Wait();
    fs::permissions(File("locked"), fs::perms::owner_all);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.outLines(), (Lines{"Conversion stopped"}));
    ASSERT_EQ(result.errLines().size(), 1u) << result.err;
    EXPECT_EQ(result.errLines()[0].rfind("orvex: a.hdr: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find("Permission denied"), std::string::npos) << result.err;
    EXPECT_TRUE(fs::is_empty(File("locked")));
}

TEST_F(ConsoleRefusalTest, AFailedWriteToStandardOutputIsAnError) {
    for (const Lines& arguments : {Lines{"-v"}, Lines{"-i", "a.hdr", "-o", "out"}}) {
        std::string command = "exec \"$0\"";
        for (const std::string& argument : arguments) command += " " + argument;
        test::Process shell("/bin/sh", {"-c", command + " >/dev/full", ORVEX_EXECUTABLE},
                            m_temp.Path());
        shell.Start();
        ProcessResult result = shell.Wait();
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_EQ(result.err, "orvex: write error: No space left on device\n") << command;
    }
    // The conversion itself was done.
    EXPECT_TRUE(fs::exists(File("out/a.jpg")));
}

// Runs orvex with standard error on a pseudo-terminal `columns` wide and
// standard output into a file; gives what the terminal received.
struct TerminalRun {
    int exitCode = -1;
    std::string terminal;
    std::string out;
};

TerminalRun RunOnTerminal(const Lines& arguments, const std::string& folder, int columns) {
    TerminalRun run;
    const std::string outPath = folder + "terminal.out";
    winsize size{};
    size.ws_row = 24;
    size.ws_col = static_cast<unsigned short>(columns);
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, &size);
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || ::chdir(folder.c_str()) != 0) ::_exit(127);
        ::dup2(out, 1);
        std::vector<std::string> copies = arguments;
        std::vector<char*> argv{const_cast<char*>(ORVEX_EXECUTABLE)};
        for (std::string& argument : copies) argv.push_back(argument.data());
        argv.push_back(nullptr);
        ::execv(ORVEX_EXECUTABLE, argv.data());
        ::_exit(127);
    }
    if (pid < 0) return run;
    char buffer[4096];
    while (true) {
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got > 0) {
            run.terminal.append(buffer, static_cast<size_t>(got));
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EIO once the child has closed the terminal
        }
    }
    ::close(master);
    int status = 0;
    if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.out = test_support::ReadFileBytes(outPath);
    fs::remove(outPath);
    return run;
}

TEST_F(ConsoleRefusalTest, ABatchShowsAProgressLineOnATerminalOnly) {
    const std::string longName = std::string(70, 'n') + ".hdr";
    for (const std::string& name : {std::string("b.hdr"), longName})
        ASSERT_TRUE(test::WriteTestHdr(File(name)));
    const Lines arguments{"-i", "a.hdr", "b.hdr", longName, "-o", "out"};

    TerminalRun terminal = RunOnTerminal(arguments, m_temp.Path(), 50);
    EXPECT_EQ(terminal.exitCode, 0) << terminal.terminal;
    EXPECT_NE(terminal.terminal.find("\r\x1b[K0 of 3 files, a.hdr"), std::string::npos)
        << terminal.terminal;
    EXPECT_NE(terminal.terminal.find("3 of 3 files"), std::string::npos) << terminal.terminal;
    // Cleared at the end, and never wider than the terminal.
    EXPECT_EQ(terminal.terminal.substr(terminal.terminal.size() - 4), "\r\x1b[K");
    size_t start = 0;
    while ((start = terminal.terminal.find("\r\x1b[K", start)) != std::string::npos) {
        start += 4;
        const size_t end = terminal.terminal.find('\r', start);
        const std::string drawn = terminal.terminal.substr(start, end - start);
        EXPECT_LE(drawn.size(), 49u) << drawn;
    }

    // Standard output is the same bytes as without a terminal, and a pipe
    // gets no progress line at all.
    ProcessResult piped = Run(arguments);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(terminal.out, piped.out);

    // Quiet and debug runs, and a single file, show none either.
    for (const Lines& other : {Lines{"-q", "-i", "a.hdr", "b.hdr", "-o", "out"},
                               Lines{"-d", "-i", "a.hdr", "b.hdr", "-o", "out"},
                               Lines{"-i", "a.hdr", "-o", "out"}}) {
        TerminalRun quiet = RunOnTerminal(other, m_temp.Path(), 50);
        EXPECT_EQ(quiet.exitCode, 0);
        EXPECT_EQ(quiet.terminal, "") << other.front();
    }
}

}  // namespace
}  // namespace orvex

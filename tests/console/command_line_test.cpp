// Option names and values, the quoting rules and the argument loop, run in
// the process on real settings records.
#include "console/command_line.h"

#include <gtest/gtest.h>

namespace orvex {
namespace {

struct Loop {
    ConversionSettings settings;
    ProjectState project;
    CommandLineResult result;
    explicit Loop(const std::vector<std::string>& arguments) {
        ResetSettingsToDefaults(settings, true);
        result = ReadCommandLine(arguments, settings, project);
    }
};

TEST(OptionName, TrimsUpperCasesAndCutsLongFormsAtTheEqualsSign) {
    EXPECT_EQ(OptionName("--Input=a.hdr"), "--INPUT");
    EXPECT_EQ(OptionName("  --jpg-quality=95 "), "--JPG-QUALITY");
    EXPECT_EQ(OptionName("--invert"), "--INVERT");
    EXPECT_EQ(OptionName("-i"), "-I");
    EXPECT_EQ(OptionName("-i=a.hdr"), "-I=A.HDR");
    EXPECT_EQ(OptionName("a.hdr"), "");
    EXPECT_EQ(OptionName(""), "");
}

TEST(OptionValue, KeepsCaseAndTakesThePartAfterTheFirstEqualsSign) {
    std::vector<std::string> args{"--Input=Dir/A.hdr", "--mask==x=y", "-i", " plain ", "--flag"};
    EXPECT_EQ(OptionValue(args, 0), "Dir/A.hdr");
    EXPECT_EQ(OptionValue(args, 1), "=x=y");
    EXPECT_EQ(OptionValue(args, 2), "-i");
    EXPECT_EQ(OptionValue(args, 3), "plain");
    EXPECT_EQ(OptionValue(args, 4), "--flag");
    EXPECT_EQ(OptionValue(args, 5), "");
}

TEST(ReadCommandLine, StoresRunOptionsInBothForms) {
    Loop a({"-i", "In.hdr", "-o", "/tmp/out", "-c", "jpg", "-d", "-q", "-p"});
    EXPECT_TRUE(a.result.error.empty());
    EXPECT_EQ(a.project.InputArgument, "In.hdr");
    EXPECT_EQ(a.project.CommandLineInput, 1);
    EXPECT_EQ(a.project.OutputFolder, "/tmp/out");
    EXPECT_EQ(a.project.OutputExtension, "jpg");
    EXPECT_EQ(a.project.RunMode, "DEBUG");
    EXPECT_TRUE(a.result.quiet);
    EXPECT_TRUE(a.result.pause);

    Loop b({"--INPUT=a.hdr", "--output=o", "--Conversion=JPG", "--debug=no", "--quiet"});
    EXPECT_TRUE(b.result.error.empty());
    EXPECT_EQ(b.project.InputArgument, "a.hdr");
    EXPECT_EQ(b.project.OutputFolder, "o");
    EXPECT_EQ(b.project.OutputExtension, "JPG");  // refused later, by the run
    EXPECT_EQ(b.project.RunMode, "DEBUG");
    EXPECT_TRUE(b.result.quiet);
}

TEST(ReadCommandLine, MissingValuesAreIncorrectParameters) {
    const std::vector<std::vector<std::string>> cases{
        {"-i"},
        {"-i", "-o", "x"},
        {"--input"},
        {"-o", ""},
        {"-c"},
        {"--jpg-quality"},
        {"--jpg-quality="},
        {"--wm-text=--x"},
        {"--profile"},
        {"-i", "a.hdr", "--brightness"},
    };
    for (const auto& args : cases) {
        Loop loop(args);
        EXPECT_EQ(loop.result.error, kIncorrectParameters) << args.front();
    }
    // "-i" marks the job as a command-line job before its value is refused.
    EXPECT_EQ(Loop({"-i"}).project.CommandLineInput, 1);
}

TEST(ReadCommandLine, NegativeLongValuesFlagsAndLaterModeOptions) {
    // "-i=a.hdr" is one name that is no option; the modes picked by the first
    // argument do nothing later on.
    Loop loop({"--brightness=-100", "--invert=whatever", "stray", "-v", "--HELP", "-?"});
    EXPECT_TRUE(loop.result.error.empty());
    EXPECT_EQ(loop.settings.ImageBrightness, -100);
    EXPECT_EQ(loop.settings.ImageInvert, 1);
    EXPECT_EQ(loop.settings.DoImageColorCorrection, 1);
    EXPECT_EQ(loop.project.CommandLineInput, 0);
}

TEST(ReadCommandLine, NamesOfNoOptionEndTheLoopAsTyped) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"-i", "a.hdr", "--jpg-qualty=50"}, "Unknown option: --jpg-qualty"},
        {{"-x", "-i", "a.hdr"}, "Unknown option: -x"},
        {{"-i=a.hdr"}, "Unknown option: -i=a.hdr"},
        {{" --No-Such "}, "Unknown option: --No-Such"},
        {{"--"}, "Unknown option: --"},
        {{"--bad\nname=1"}, "Unknown option: --bad\\nname"},
    };
    for (const auto& [args, error] : cases) {
        Loop loop(args);
        EXPECT_EQ(loop.result.error, error) << args.front();
    }
    // Nothing after the refused option is read.
    Loop stopped({"--nope", "--jpg-quality=10"});
    EXPECT_EQ(stopped.settings.JpgQuality, 95);
}

TEST(ReadCommandLine, ValuesAreCheckedBeforeTheyAreStored) {
    // The option as typed and the value appear in the refusal (the whole
    // lines are checked end to end); nothing is stored.
    Loop bad({"-i", "a.hdr", "--Width=12px"});
    EXPECT_EQ(bad.result.error.rfind("Invalid value for --Width: 12px (accepted: ", 0), 0u);
    EXPECT_EQ(bad.settings.ImageWidth, 0);
    EXPECT_EQ(bad.settings.DoImageResize, 0);

    // Words in any case, "$" and "%" numbers, blanks around them, infinity for
    // the range check to refuse later.
    Loop fine({"--dither=bayer8", "--width=$FF", "--height=%101", "--rotation= 90 ",
               "--gamma=-Infinity", "--fr-solid-top-color=00ff7F"});
    EXPECT_TRUE(fine.result.error.empty()) << fine.result.error;
    EXPECT_EQ(fine.settings.ImageDitherAlgorithm, 2);
    EXPECT_EQ(fine.settings.ImageWidth, 255);
    EXPECT_EQ(fine.settings.ImageHeight, 5);
}

TEST(ReadCommandLine, BareArgumentsAfterTheFirstInputAreMoreInputs) {
    // What a shell makes of "-i *.hdr -o out".
    Loop glob({"-i", "a.hdr", "b.hdr", "c d.hdr", "-o", "out", "e.hdr", "-q"});
    EXPECT_TRUE(glob.result.error.empty());
    EXPECT_EQ(glob.project.InputArgument, "a.hdr");
    EXPECT_EQ(glob.project.MoreInputArguments,
              (std::vector<std::string>{"b.hdr", "c d.hdr", "e.hdr"}));
    EXPECT_EQ(glob.project.OutputFolder, "out");
    EXPECT_TRUE(glob.result.quiet);

    // Quotes split by a caller are joined back, as for "-i".
    Loop quoted({"-i", "a.hdr", "\"my", "pic.hdr\""});
    EXPECT_EQ(quoted.project.MoreInputArguments, (std::vector<std::string>{"my pic.hdr"}));

    // Before any input a bare argument belongs to the desktop's input field.
    Loop before({"photo.hdr", "-o", "out"});
    EXPECT_TRUE(before.result.error.empty());
    EXPECT_TRUE(before.project.InputArgument.empty());
    EXPECT_TRUE(before.project.MoreInputArguments.empty());
}

TEST(ReadCommandLine, QuotedValuesSplitAcrossArgumentsAreJoinedBack) {
    Loop path({"-i", "\"/tmp/my", "holiday", "pictures/a.hdr\"", "-q"});
    EXPECT_EQ(path.project.InputArgument, "/tmp/my holiday pictures/a.hdr");
    EXPECT_TRUE(path.result.quiet);

    Loop text({"--wm-text=\"Hello", "big", "world\"", "--jpg-quality=80"});
    EXPECT_EQ(text.settings.Text, "Hello big world");
    EXPECT_EQ(text.settings.JpgQuality, 80);

    // An unterminated quote takes the rest of the line.
    Loop open({"-o", "\"a", "b"});
    EXPECT_EQ(open.project.OutputFolder, "a b");

    // Values the shell already unquoted stay as they are; "-c" is not joined.
    Loop plain({"-i", "my file.hdr", "-c", "\"jpg", "x\""});
    EXPECT_EQ(plain.project.InputArgument, "my file.hdr");
    EXPECT_EQ(plain.project.OutputExtension, "jpg");
}

TEST(ReadCommandLine, AVeryLongValueIsStoredWhole) {
    std::string text(10000, 'w');
    Loop loop({"--wm-text=" + text, "-i", std::string(10000, 'p') + ".hdr"});
    EXPECT_TRUE(loop.result.error.empty());
    EXPECT_EQ(loop.settings.Text, text);
    EXPECT_EQ(loop.project.InputArgument.size(), 10004u);
}

}  // namespace
}  // namespace orvex

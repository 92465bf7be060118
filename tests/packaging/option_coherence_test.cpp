// The manual page, the HTML manual and the bash completion against the
// console's option table: every option is documented, every option that acts
// in this build (and no other) is completed, and keyword options offer
// exactly the words of their family.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "console/option_table.h"
#include "formats/input_formats.h"
#include "packaging/packaging_test_support.h"
#include "settings/program_identity.h"
#include "support/temp_folder.h"

namespace orvex {
namespace {

using test_support::Complete;
using test_support::FamilyWords;
using test_support::ReadSourceFile;

// Options the command line knows besides the rows of the option table.
const std::vector<std::string> kConsoleOptions{
    "--input=",  "--output=", "--conversion=", "--profile=", "--help",
    "--version", "--quiet",   "--debug",       "--pause",    "--jobs=",
    "--shard=",  "--skip-existing", "--report=", "--measure-sequence=",
    "--sequence-statistics=", "--sequence-window="};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Holds(const std::vector<std::string>& list, const char* entry) {
    return std::find(list.begin(), list.end(), entry) != list.end();
}

// Whether an option changes anything in this build: options of the readers
// and writers of other formats are read and stored (profiles are shared with
// builds that have them) but nothing here uses them.
bool ActsInThisBuild(const LongOption& option) {
    const OptionField* row = FindOptionField(option.field);
    if (row == nullptr || row->config.format == nullptr) return true;
    switch (row->config.when) {
        case WriteWhen::InputGroup: return Holds(InputExtensions(), row->config.format);
        case WriteWhen::OutputExtension: return Holds(OutputExtensions(), row->config.format);
        default: return true;
    }
}

// How completion and the manual write an option: lower case, with "="
// when it takes a value.
std::string Written(const LongOption& option) {
    return Lower(option.name) + (option.kind == OptionKind::Flag ? "" : "=");
}

// The manual page as it reads: "\-" is a dash, font changes and "\&"
// disappear.
std::string ManualText() {
    const std::string source = ReadSourceFile("docs/orvex.1");
    std::string text;
    for (size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '\\' && i + 1 < source.size()) {
            const char next = source[i + 1];
            if (next == '-') {
                text += '-';
                ++i;
                continue;
            }
            if (next == '&') {
                ++i;
                continue;
            }
            if (next == 'f' && i + 2 < source.size()) {
                i += 2;
                continue;
            }
        }
        text += source[i];
    }
    return text;
}

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; }

// Where `written` ("--width=" or "--invert") stands as a whole option name
// in `text`, or npos.
size_t FindOption(const std::string& text, const std::string& written, size_t from = 0) {
    const bool valued = written.back() == '=';
    const std::string name = valued ? written.substr(0, written.size() - 1) : written;
    for (size_t at = text.find(name, from); at != std::string::npos; at = text.find(name, at + 1)) {
        const size_t end = at + name.size();
        const bool startsWord = at == 0 || !IsNameChar(text[at - 1]);
        const bool endsWord = end == text.size() || !IsNameChar(text[end]);
        if (startsWord && endsWord && (!valued || (end < text.size() && text[end] == '=')))
            return at;
    }
    return std::string::npos;
}

// The entry of the manual that documents `written`, from its tag line to
// the next paragraph macro, in the manual's own letter case (the option
// is looked up in lower case, the keyword words stay upper case).
std::string ManualEntry(const std::string& manual, const std::string& written) {
    const std::string lower = Lower(manual);
    const size_t at = FindOption(lower, written, lower.find(".sh options"));
    if (at == std::string::npos) return "";
    size_t end = manual.size();
    for (const char* macro : {"\n.TP", "\n.PP", "\n.SS", "\n.SH"})
        end = std::min(end, manual.find(macro, at));
    return manual.substr(at, end - at);
}

TEST(ManualPage, DocumentsEveryOptionOfTheCommandLine) {
    const std::string manual = Lower(ManualText());
    const size_t options = manual.find(".sh options");
    ASSERT_NE(options, std::string::npos);
    std::vector<std::string> missing;
    for (const LongOption& option : LongOptionTable())
        if (FindOption(manual, Written(option), options) == std::string::npos)
            missing.push_back(Written(option));
    for (const std::string& written : kConsoleOptions)
        if (FindOption(manual, written, options) == std::string::npos) missing.push_back(written);
    EXPECT_TRUE(missing.empty()) << "not in docs/orvex.1: " << ::testing::PrintToString(missing);
}

TEST(ManualPage, NamesEveryWordOfEachKeywordOption) {
    const std::string manual = ManualText();
    for (const LongOption& option : LongOptionTable()) {
        if (option.kind != OptionKind::Keyword) continue;
        const std::string entry = ManualEntry(manual, Written(option));
        ASSERT_FALSE(entry.empty()) << option.name;
        for (const std::string& word : FamilyWords(option.family))
            EXPECT_NE(FindOption(entry, word), std::string::npos)
                << option.name << " does not list " << word;
    }
}

// The HTML manual's table row that documents `written`, as HTML, or "".
std::string HtmlManualRow(const std::string& html, const std::string& written) {
    const std::string lower = Lower(html);
    const size_t at = FindOption(lower, written, lower.find("id=\"console\""));
    if (at == std::string::npos) return "";
    const size_t start = html.rfind("<tr>", at);
    const size_t end = html.find("</tr>", at);
    if (start == std::string::npos || end == std::string::npos) return "";
    return html.substr(start, end - start);
}

TEST(HtmlManual, DocumentsEveryOptionOfTheCommandLine) {
    const std::string html = ReadSourceFile("data/orvex.html");
    ASSERT_NE(html.find("id=\"console\""), std::string::npos);
    std::vector<std::string> missing;
    for (const LongOption& option : LongOptionTable())
        if (HtmlManualRow(html, Written(option)).empty()) missing.push_back(Written(option));
    for (const std::string& written : kConsoleOptions)
        if (HtmlManualRow(html, written).empty()) missing.push_back(written);
    EXPECT_TRUE(missing.empty()) << "not in data/orvex.html: " << ::testing::PrintToString(missing);
}

TEST(HtmlManual, NamesEveryWordOfEachKeywordOption) {
    const std::string html = ReadSourceFile("data/orvex.html");
    for (const LongOption& option : LongOptionTable()) {
        if (option.kind != OptionKind::Keyword) continue;
        const std::string row = HtmlManualRow(html, Written(option));
        ASSERT_FALSE(row.empty()) << option.name;
        for (const std::string& word : FamilyWords(option.family))
            EXPECT_NE(FindOption(row, word), std::string::npos)
                << option.name << " does not list " << word;
    }
}

TEST(Completion, OffersEveryOptionThatActsHereAndNoOther) {
    const std::vector<std::string> offered = Complete({"orvex", "--"});
    const std::set<std::string> offeredSet(offered.begin(), offered.end());
    std::set<std::string> acting(kConsoleOptions.begin(), kConsoleOptions.end());
    size_t idle = 0;
    for (const LongOption& option : LongOptionTable()) {
        if (ActsInThisBuild(option))
            acting.insert(Written(option));
        else
            ++idle;
    }
    // The other formats' options exist and are told apart from the JPEG ones.
    EXPECT_GT(idle, 30u);
    EXPECT_TRUE(acting.count("--jpg-quality="));
    EXPECT_FALSE(acting.count("--png-interlaced"));
    for (const std::string& written : acting)
        EXPECT_TRUE(offeredSet.count(written)) << "completion lacks " << written;
    for (const std::string& word : offered)
        EXPECT_TRUE(acting.count(word)) << "completion offers " << word
                                        << ", which is unknown or does nothing in this build";
    EXPECT_EQ(offered.size(), offeredSet.size()) << "an option is offered twice";
}

TEST(Completion, KeywordOptionsOfferExactlyTheirFamily) {
    for (const LongOption& option : LongOptionTable()) {
        if (option.kind != OptionKind::Keyword || !ActsInThisBuild(option)) continue;
        const std::string name = Lower(option.name);
        const std::vector<std::string> offered = Complete({"orvex", name, "=", ""});
        const std::vector<std::string> family = FamilyWords(option.family);
        EXPECT_EQ(std::set<std::string>(offered.begin(), offered.end()),
                  std::set<std::string>(family.begin(), family.end()))
            << option.name;
    }
}

TEST(Completion, KeywordWordsMatchInAnyCaseSplitOrJoinedAtTheEqualsSign) {
    EXPECT_EQ(Complete({"orvex", "--resize-algorithm", "=", "bi"}),
              (std::vector<std::string>{"BILINEAR", "BICUBIC"}));
    // Without "=" among the word breaks the whole switch is one word, and
    // each answer keeps the option in front as the user typed it.
    EXPECT_EQ(Complete({"orvex", "--Resize-Algorithm=l"}),
              (std::vector<std::string>{"--Resize-Algorithm=LANCZOS"}));
    EXPECT_TRUE(Complete({"orvex", "--jpg-quality", "=", ""}).empty());
    EXPECT_TRUE(Complete({"orvex", "--no-such-option", "=", ""}).empty());
    EXPECT_EQ(Complete({"orvex", "-c", ""}), (std::vector<std::string>{"jpg"}));
}

TEST(Completion, RadiancePicturesForInputFilesForProfileFoldersForOutput) {
    test_support::ScopedTempFolder folder("completion");
    // The input extensions this build accepts, in any letter case.
    const std::vector<std::string> accepted = BuildAcceptedInputExtensions(InputExtensions());
    ASSERT_EQ(accepted, (std::vector<std::string>{"hdr", "hdri"}));
    folder.WriteFile("sunset.hdr", "#?RADIANCE\n");
    folder.WriteFile("SUMMIT.HDRI", "#?RADIANCE\n");
    folder.WriteFile("sun.hdr.txt", "notes");
    folder.WriteFile("settings.ini", "[CLI]\n");
    folder.WriteFile("sky.jpg", "");
    std::filesystem::create_directory(folder.File("sub"));
    std::filesystem::create_directory(folder.File("shots.hdr.d"));
    const auto sorted = [](std::vector<std::string> words) {
        std::sort(words.begin(), words.end());
        return words;
    };
    const std::vector<std::string> pictures{"SUMMIT.HDRI", "shots.hdr.d", "sub", "sunset.hdr"};
    EXPECT_EQ(sorted(Complete({"orvex", "-i", ""}, folder.Path())), pictures);
    EXPECT_EQ(sorted(Complete({"orvex", "--input", "=", ""}, folder.Path())), pictures);
    EXPECT_EQ(sorted(Complete({"orvex", "--Input=su"}, folder.Path())),
              (std::vector<std::string>{"--Input=sub", "--Input=sunset.hdr"}));
    // A lone picture opens the desktop with it.
    EXPECT_EQ(sorted(Complete({"orvex", "s"}, folder.Path())),
              (std::vector<std::string>{"shots.hdr.d", "sub", "sunset.hdr"}));
    EXPECT_EQ(Complete({"orvex", "--profile", "=", "set"}, folder.Path()),
              (std::vector<std::string>{"settings.ini"}));
    EXPECT_EQ(sorted(Complete({"orvex", "--wm-image=s"}, folder.Path())),
              (std::vector<std::string>{"--wm-image=settings.ini", "--wm-image=shots.hdr.d",
                                        "--wm-image=sky.jpg", "--wm-image=sub",
                                        "--wm-image=sun.hdr.txt", "--wm-image=sunset.hdr"}));
    EXPECT_EQ(sorted(Complete({"orvex", "-o", ""}, folder.Path())),
              (std::vector<std::string>{"shots.hdr.d", "sub"}));
    EXPECT_EQ(Complete({"orvex", "--output=su"}, folder.Path()),
              (std::vector<std::string>{"--output=sub"}));
}

}  // namespace
}  // namespace orvex

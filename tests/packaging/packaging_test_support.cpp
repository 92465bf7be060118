// Source-tree files, keyword families and a bash run of the completion.
#include "packaging/packaging_test_support.h"

#include <cstdio>
#include <string_view>

#include "settings/keywords.h"
#include "support/temp_folder.h"

namespace orvex::test_support {

namespace {

// Wraps `text` in single quotes for bash.
std::string ShellQuote(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

void AddOnce(std::vector<std::string>& words, const std::string& word) {
    if (word.empty()) return;
    for (const std::string& known : words)
        if (known == word) return;
    words.push_back(word);
}

}  // namespace

std::string ReadSourceFile(const std::string& relativePath) {
    return ReadFileBytes(std::string(ORVEX_SOURCE_DIR) + "/" + relativePath);
}

std::vector<std::string> FamilyWords(int family) {
    // Numbers run from 0 up without gaps in every family; the compression
    // family gives several writers' words the same number, so those are
    // asked of each writer as well.
    std::vector<std::string> words;
    for (int32_t value = 0; value < 64; ++value) AddOnce(words, KeywordName(family, value));
    if (family == kCompression) {
        for (auto writer : {CompressionWriter::Bmp, CompressionWriter::Exr, CompressionWriter::Png,
                            CompressionWriter::Tga, CompressionWriter::Tiff})
            for (int32_t value = 0; value < 64; ++value)
                AddOnce(words, CompressionKeywordName(writer, value));
    }
    return words;
}

std::vector<std::string> Complete(const std::vector<std::string>& words,
                                  const std::string& workingFolder) {
    std::string script =
        "cd " + ShellQuote(workingFolder) + " || exit 1; source " +
        ShellQuote(std::string(ORVEX_SOURCE_DIR) + "/data/linux/orvex.bash-completion") +
        " || exit 1; COMP_WORDS=(";
    for (const std::string& word : words) script += ShellQuote(word) + " ";
    script += "); COMP_CWORD=" + std::to_string(words.size() - 1) +
              "; _orvex; printf '%s\\n' \"${COMPREPLY[@]}\"";

    std::vector<std::string> offered;
    FILE* pipe = popen(("bash --norc --noprofile -c " + ShellQuote(script)).c_str(), "r");
    if (pipe == nullptr) return offered;
    std::string output;
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    pclose(pipe);
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        if (end > start) offered.push_back(output.substr(start, end - start));
        start = end + 1;
    }
    return offered;
}

}  // namespace orvex::test_support

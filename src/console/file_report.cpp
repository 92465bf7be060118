// Per-file debug lines of a console run.
#include "console/file_report.h"

#include <cstdio>

#include "formats/file_type.h"

namespace orvex {
namespace {

std::string EscapeControls(const std::string& path, bool escapeBackslash) {
    std::string shown;
    shown.reserve(path.size());
    for (unsigned char c : path) {
        switch (c) {
            case '\n': shown += "\\n"; break;
            case '\r': shown += "\\r"; break;
            case '\t': shown += "\\t"; break;
            case '\\': shown += escapeBackslash ? "\\\\" : "\\"; break;
            default:
                if (c < 0x20 || c == 0x7f) {
                    char code[8];
                    std::snprintf(code, sizeof code, "\\x%02X", c);
                    shown += code;
                } else {
                    shown += static_cast<char>(c);
                }
        }
    }
    return shown;
}

}  // namespace

std::string PrintablePath(const std::string& path) { return EscapeControls(path, true); }

std::string PrintableText(const std::string& text) { return EscapeControls(text, false); }

void FileReport::FileStarted(int32_t /*index*/, const std::string& inputPath) {
    m_print("Processing: " + PrintablePath(inputPath));
    m_print("File Format: " + IdentifyFileType(inputPath));
}

void FileReport::FileFinished(const FileResult& result) {
    if (result.skipped) {
        m_print("[SKIPPED] Current output: " + PrintablePath(result.outputPath));
        return;
    }
    if (result.converted) {
        if (!result.note.empty()) m_print(EscapeControls(result.note, false));
        m_print("[OK] Saving As: " + PrintablePath(result.outputPath));
        return;
    }
    if (!result.reason.empty()) m_print("[ERROR] " + EscapeControls(result.reason, false));
    for (const std::string& message : result.libraryMessages)
        m_print("[ERROR] FreeImage: " + EscapeControls(message, false));
    m_print("[ERROR] Unable to convert the file!");
}

}  // namespace orvex

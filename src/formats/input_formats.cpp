// The input extension table and what is derived from it.
#include "formats/input_formats.h"

#include <sys/stat.h>

#include "text/text_table.h"
#include "text/unicode_case.h"

namespace orvex {
namespace {

void AddRows(std::vector<InputExtensionRow>& rows, std::initializer_list<const char*> extensions,
             const char* group, const char* description) {
    for (const char* extension : extensions) rows.push_back({extension, group, description});
}

}  // namespace

const std::vector<InputExtensionRow>& InputExtensionTable() {
    static const std::vector<InputExtensionRow> table = [] {
        std::vector<InputExtensionRow> rows;
        AddRows(rows, {"bmp", "rle", "dib"}, "bmp", "Windows or OS/2 Bitmap");
        AddRows(rows, {"dds"}, "dds", "DirectDraw Surface File");
        AddRows(rows, {"emf", "emz"}, "emf", "Enhanced Metafile Format");
        AddRows(rows, {"gif"}, "gif", "GIF File");
        AddRows(rows, {"hdr", "hdri"}, "hdr", "High Dynamic Range File");
        AddRows(rows, {"ico"}, "ico", "Windows Icon");
        AddRows(rows, {"jpg", "jpeg", "jpe", "jif"}, "jpg", "JPEG File");
        AddRows(rows, {"pcd", "pcd1", "pcds", "ppcd"}, "pcd", "Kodak PhotoCD File");
        AddRows(rows, {"pcx"}, "pcx", "ZSoft Paintbrush File");
        AddRows(rows, {"pic", "pict", "pct"}, "pic", "Macintosh PICT");
        AddRows(rows, {"png"}, "png", "Portable Network Graphics");
        AddRows(rows, {"psd"}, "psd", "Adobe Photoshop File");
        AddRows(rows, {"tga", "targa"}, "tga", "Truevision Targa");
        AddRows(rows, {"tiff", "tif"}, "tiff", "Tagged Image File Format");
        AddRows(rows, {"wmf", "wmz"}, "wmf", "Windows Metafile Format");
        AddRows(rows, {"apm"}, "wmf", "Aldus Placeable Metafile");
        AddRows(rows, {"raw", "raw1", "raw2"}, "raw", "Camera RAW Image");
        AddRows(rows, {"3fr"}, "raw", "Hasselblad Camera RAW Image");
        AddRows(rows, {"arw", "sr2", "srf"}, "raw", "Sony Camera RAW Image");
        AddRows(rows, {"bay"}, "raw", "Casio Camera RAW Image");
        AddRows(rows, {"bmq"}, "raw", "NuCore RAW Image");
        AddRows(rows, {"cap", "iiq", "eip"}, "raw", "Phase One Camera RAW Image");
        AddRows(rows, {"cine"}, "raw", "Phantom RAW Image");
        AddRows(rows, {"cr2", "crw"}, "raw", "Canon Camera RAW Image");
        AddRows(rows, {"cs1"}, "raw", "Capture Shop RAW Image");
        AddRows(rows, {"dc2", "dcr", "drf", "dsc", "k25", "kc2", "kdc", "dcs"}, "raw",
                "Kodak Camera RAW Image");
        AddRows(rows, {"dng"}, "raw", "Adobe Digital Negative Image");
        AddRows(rows, {"erf"}, "raw", "Epson Camera RAW Image");
        AddRows(rows, {"fff"}, "raw", "Imacon Camera RAW Image");
        AddRows(rows, {"ia", "sti"}, "raw", "Sinar RAW Image");
        AddRows(rows, {"mdc", "mrw"}, "raw", "Minolta Camera RAW Image");
        AddRows(rows, {"mef", "mos"}, "raw", "Mamiya Camera RAW Image");
        AddRows(rows, {"nef", "nrw"}, "raw", "Nikon Camera RAW Image");
        AddRows(rows, {"orf"}, "raw", "Olympus Camera RAW Image");
        AddRows(rows, {"pef", "ptx"}, "raw", "Pentax Camera RAW Image");
        AddRows(rows, {"pxn"}, "raw", "Logitech Camera RAW Image");
        AddRows(rows, {"qtk"}, "raw", "Apple Quicktake Camera RAW Image");
        AddRows(rows, {"raf"}, "raw", "Fuji Camera RAW Image");
        AddRows(rows, {"rdc"}, "raw", "Digital Foto Maker RAW Image");
        AddRows(rows, {"rw2"}, "raw", "Panasonic Camera RAW Image");
        AddRows(rows, {"rwz"}, "raw", "Rawzor Camera RAW Image");
        AddRows(rows, {"x3f"}, "raw", "Sigma Camera RAW Image");
        AddRows(rows, {"ari"}, "raw", "ARRI RAW Image");
        AddRows(rows, {"r3d"}, "raw", "RED RAW Image");
        AddRows(rows, {"rwl"}, "raw", "Leica Camera RAW Image");
        return rows;
    }();
    return table;
}

std::vector<std::string> BuildAcceptedInputExtensions(const std::vector<std::string>& inputExtensions) {
    std::vector<std::string> accepted;
    for (const std::string& group : inputExtensions) {
        for (const InputExtensionRow& row : InputExtensionTable()) {
            if (row.group == group) accepted.push_back(row.extension);
        }
    }
    return accepted;
}

bool IsAcceptedInputFile(const std::string& path, const std::vector<std::string>& accepted) {
    struct stat info {};
    // Only regular files with content; a folder named "set.hdr" is no input.
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0) return false;
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string extension = ToLowerUtf8(name.substr(dot + 1));
    for (const std::string& candidate : accepted) {
        if (candidate == extension) return true;
    }
    return false;
}

std::string BuildOpenFileFilter(const std::vector<std::string>& accepted, const TextTable& texts) {
    std::string allPatterns;
    // Patterns per description in the order the descriptions are first met;
    // a later extension's pattern goes before the earlier ones.
    std::vector<std::pair<std::string, std::string>> byDescription;
    for (const std::string& extension : accepted) {
        const std::string pattern = "*." + extension;
        allPatterns += (allPatterns.empty() ? "" : ";") + pattern;
        std::string description;
        for (const InputExtensionRow& row : InputExtensionTable()) {
            if (row.extension == extension) {
                description = row.description;
                break;
            }
        }
        bool found = false;
        for (auto& [known, patterns] : byDescription) {
            if (known == description) {
                patterns = pattern + ";" + patterns;
                found = true;
                break;
            }
        }
        if (!found) byDescription.emplace_back(description, pattern);
    }
    std::string filter = texts.Text("Dialog", "All Supported Files") + "|" + allPatterns + "|";
    for (const auto& [description, patterns] : byDescription) {
        filter += description + "|" + patterns + "|";
    }
    filter += texts.Text("Dialog", "All Files") + " (*.*)|*.*";
    return filter;
}

}  // namespace orvex

// The signature table of file kinds and the reader that names a file by it.
#include "formats/file_type.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

namespace orvex {
namespace {

using namespace std::string_view_literals;

// A kind of file: the bytes it starts with and, for some, a second run of
// bytes further on. Rows of the same first byte form a group; within a
// group the last row that matches names the file, so the more specific row
// comes after the general one (CR2 after little-endian TIFF).
struct FileSignature {
    const char* name;
    std::string_view lead;
    size_t secondOffset = 0;
    std::string_view second = {};
};

// clang-format off
const FileSignature kSignatures[] = {
    {"ICO",                "\x00\x00\x01\x00"sv},
    {"MPEG",               "\x00\x00\x01\xB3"sv},
    {"MPG/VOB",            "\x00\x00\x01\xBA"sv},
    {"MKV/MKA/WEBM",       "\x1A\x45\xDF\xA3"sv},
    {"LUAC",               "\x1B\x4C\x75\x61"sv},
    {"GZ",                 "\x1F\x8B"sv},
    {"HDR",                "#?"sv},
    {"PS",                 "\x25\x21\x50\x53"sv},
    {"PDF",                "\x25\x50\x44\x46\x2D"sv},
    {"ACE",                "\x2A\x2A\x41\x43\x45\x2A\x2A"sv},
    {"XPM",                "\x2F\x2A\x20\x58\x50\x4D\x20\x2A\x2F"sv},
    {"ASF/WMA/WMV",        "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C"sv},
    {"SRT",                "\x31\x0A\x30\x30"sv},
    {"7Z",                 "\x37\x7A\xBC\xAF\x27\x1C"sv},
    {"PSD",                "\x38\x42\x50\x53"sv},
    {"FH8",                "\x41\x47\x44\x33"sv},
    {"DJVU",               "\x41\x54\x26\x54\x46\x4F\x52\x4D"sv, 12, "\x44\x4A\x56"sv},
    {"BLEND",              "\x42\x4C\x45\x4E\x44\x45\x52"sv},
    {"BMP",                "\x42\x4D"sv},
    {"BPG",                "\x42\x50\x47\xFB"sv},
    {"BZ2",                "\x42\x5A\x68"sv},
    {"SWF",                "\x43\x57\x53"sv},
    {"DRC",                "\x44\x52\x41\x43\x4F"sv},
    {"FLIF",               "\x46\x4C\x49\x46"sv},
    {"SWF",                "\x46\x57\x53"sv},
    {"FLV",                "\x46\x4C\x56"sv},
    {"GIF87A",             "\x47\x49\x46\x38\x37\x61"sv},
    {"GIF89A",             "\x47\x49\x46\x38\x39\x61"sv},
    {"TIFF (LE)",          "\x49\x49\x2A\x00"sv},
    {"CR2",                "\x49\x49\x2A\x00\x10\x00\x00\x00\x43\x52"sv},
    {"CHM",                "\x49\x54\x53\x46\x03\x00\x00\x00\x60\x00\x00\x00"sv},
    {"MP3/ID3V2",          "\x49\x44\x33"sv},
    {"CAB (IS)",           "\x49\x53\x63\x28"sv},
    {"LZ",                 "\x4C\x5A\x49\x50"sv},
    {"MLV",                "\x4D\x4C\x56\x49"sv},
    {"TIFF (BE)",          "\x4D\x4D\x00\x2A"sv},
    {"CAB",                "\x4D\x53\x43\x46"sv},
    {"MID/MIDI",           "\x4D\x54\x68\x64"sv},
    {"EXE/DLL (MZ/PE/NE)", "\x4D\x5A"sv},
    {"NUI",                "\x4E\x55\x52\x55\x49\x4D\x47"sv},
    {"NUP",                "\x4E\x55\x52\x55\x50\x41\x4C"sv},
    {"OGG/OGA/OGV",        "\x4F\x67\x67\x53"sv},
    {"PBM",                "\x50\x31\x0A"sv},
    {"PGM",                "\x50\x32\x0A"sv},
    {"PPM",                "\x50\x33\x0A"sv},
    {"ZIP",                "\x50\x4B\x03\x04"sv},
    {"ZIP (E)",            "\x50\x4B\x05\x06"sv},
    {"ZIP (S)",            "\x50\x4B\x07\x08"sv},
    {"ANI",                "\x52\x49\x46\x46"sv, 8, "\x41\x43\x4F\x4E"sv},
    {"AVI",                "\x52\x49\x46\x46"sv, 8, "\x41\x56\x49\x20"sv},
    {"WAV",                "\x52\x49\x46\x46"sv, 8, "\x57\x41\x56\x45"sv},
    {"WEBP",               "\x52\x49\x46\x46"sv, 8, "\x57\x45\x42\x50"sv},
    {"RAR (1.5+)",         "\x52\x61\x72\x21\x1A\x07\x00"sv},
    {"RAR (5.0+)",         "\x52\x61\x72\x21\x1A\x07\x01\x00"sv},
    {"DPX (BE)",           "\x53\x44\x50\x58"sv},
    {"SQLITE/DB",          "\x53\x51\x4C\x69\x74\x65\x20\x66\x6F\x72\x6D\x61\x74\x20\x33\x00"sv},
    {"DPX (LE)",           "\x58\x50\x44\x53"sv},
    {"EXE (ZM)",           "\x5A\x4D"sv},
    {"ARJ",                "\x60\xEA"sv},
    {"FLAC",               "\x66\x4C\x61\x43"sv},
    {"3GP",                "\x66\x74\x79\x70\x33\x67"sv},
    {"XCF",                "\x67\x69\x6D\x70\x20\x78\x63\x66"sv},
    {"TOX",                "\x74\x6F\x78\x33"sv},
    {"EXR",                "\x76\x2F\x31\x01"sv},
    {"XAR",                "\x78\x61\x72\x21"sv},
    {"RTF",                "\x7B\x5C\x72\x74\x66\x31"sv},
    {"CIN",                "\x80\x2A\x5F\xD7"sv},
    {"PNG",                "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A"sv},
    {"LEP",                "\xCF\x84\x01"sv},
    {"DOC/XLS/PPT",        "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"sv},
    {"WMF",                "\xD7\xCD\xC6\x9A"sv},
    {"XZ",                 "\xFD\x37\x7A\x58\x5A\x00"sv},
    {"JPG",                "\xFF\xD8\xFF\xDB"sv},
    {"JPEG/JFIF",          "\xFF\xD8\xFF\xE0\x00\x10\x4A\x46\x49\x46\x00\x01"sv},
    {"JPEG",               "\xFF\xD8\xFF\xEE"sv},
    {"JPEG/EXIF",          "\xFF\xD8\xFF\xE1"sv, 6, "\x45\x78\x69\x66\x00\x00"sv},
    {"MP3",                "\xFF\xF2"sv},
    {"MP3",                "\xFF\xF3"sv},
    {"MP3",                "\xFF\xFB"sv},
    {"CLASS",              "\xCA\xFE\xBA\xBE"sv},
};
// clang-format on

// Bytes past the end of what was read never match.
bool HasAt(std::string_view buffer, size_t offset, std::string_view run) {
    return offset <= buffer.size() && run.size() <= buffer.size() - offset &&
           buffer.substr(offset, run.size()) == run;
}

bool Matches(const FileSignature& row, std::string_view buffer) {
    return HasAt(buffer, 0, row.lead) &&
           (row.second.empty() || HasAt(buffer, row.secondOffset, row.second));
}

}  // namespace

std::string IdentifyFileType(const std::string& path) {
    std::string result = kUnrecognizedFileType;
    // Opened without waiting: a FIFO without a writer reads as empty instead
    // of blocking the worker.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return result;
    char bytes[20];
    size_t count = 0;
    while (count < sizeof bytes) {
        const ssize_t got = read(fd, bytes + count, sizeof bytes - count);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        count += static_cast<size_t>(got);
    }
    close(fd);
    if (count == 0) return result;

    const std::string_view buffer(bytes, count);
    for (const FileSignature& row : kSignatures) {
        if (row.lead.front() == buffer.front() && Matches(row, buffer)) result = row.name;
    }
    return result;
}

}  // namespace orvex

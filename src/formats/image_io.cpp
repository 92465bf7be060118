// Loading Radiance pictures and saving output files through FreeImage handles
// on files the program opened itself, and routing FreeImage's messages.
#include "formats/image_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

#include "formats/radiance_header.h"
#include "platform/atomic_file.h"

namespace orvex {
namespace {

// ---- FreeImage messages -------------------------------------------------

// FreeImage has one message callback for the whole process; it hands each
// message to the sink of the thread that made the call.
thread_local std::function<void(const std::string&)> t_messageSink;

void ForwardMessage(FREE_IMAGE_FORMAT, const char* message) {
    if (!t_messageSink || !message) return;
    try {
        t_messageSink(message);
    } catch (...) {
        // Nothing may unwind through the library's C frames.
    }
}

void InstallMessageRouting() {
    static std::once_flag once;
    std::call_once(once, [] { FreeImage_SetOutputMessage(ForwardMessage); });
}

// Keeps the last FreeImage message of an operation for its failure reason
// while still passing every message on to the sink in force.
class MessageRecorder {
public:
    MessageRecorder()
        : m_outer(t_messageSink), m_scope([this](const std::string& message) {
              m_last = message;
              if (m_outer) m_outer(message);
          }) {}

    // " (message)" when FreeImage said something, otherwise "".
    std::string Detail() const {
        std::string text = m_last;
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        return text.empty() ? "" : " (" + text + ")";
    }

private:
    std::function<void(const std::string&)> m_outer;
    std::string m_last;
    FreeImageMessageScope m_scope;
};

std::string ErrnoText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// ---- Reading: the clean header, then the file's own pixel data ----------

// What the Radiance reader reads: the clean header from memory, then the
// file from its data offset on, through a small window of its own, so the
// pixel data is never copied as a whole. The reader asks for a few bytes at
// a time; serving those from the window keeps it as fast as a plain file.
struct RadianceStream {
    int fd = -1;
    std::string header;
    uint64_t dataOffset = 0;  // in the file
    uint64_t size = 0;        // header plus the file's bytes from dataOffset
    uint64_t position = 0;    // in the stream
    std::vector<unsigned char> window = std::vector<unsigned char>(64 * 1024);
    uint64_t windowStart = 0;   // stream position of window[0]
    uint64_t windowLength = 0;  // bytes of the window that hold data
};

// Copies up to `wanted` bytes at the stream position into `out`; 0 at the end.
uint64_t ReadSome(RadianceStream& stream, unsigned char* out, uint64_t wanted) {
    if (stream.position >= stream.size) return 0;
    if (stream.position < stream.header.size()) {
        const uint64_t n = std::min<uint64_t>(wanted, stream.header.size() - stream.position);
        std::memcpy(out, stream.header.data() + stream.position, n);
        return n;
    }
    if (stream.position < stream.windowStart ||
        stream.position >= stream.windowStart + stream.windowLength) {
        const uint64_t at = stream.dataOffset + (stream.position - stream.header.size());
        ssize_t got;
        do {
            got = pread(stream.fd, stream.window.data(), stream.window.size(),
                        static_cast<off_t>(at));
        } while (got < 0 && errno == EINTR);
        if (got <= 0) return 0;
        stream.windowStart = stream.position;
        stream.windowLength = static_cast<uint64_t>(got);
    }
    const uint64_t offset = stream.position - stream.windowStart;
    const uint64_t n = std::min(wanted, stream.windowLength - offset);
    std::memcpy(out, stream.window.data() + offset, n);
    return n;
}

unsigned DLL_CALLCONV ReadStream(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    auto& stream = *static_cast<RadianceStream*>(handle);
    if (size == 0 || count == 0) return 0;
    const uint64_t wanted = uint64_t{size} * count;
    auto* out = static_cast<unsigned char*>(buffer);
    uint64_t done = 0;
    while (done < wanted) {
        const uint64_t n = ReadSome(stream, out + done, wanted - done);
        if (n == 0) break;
        done += n;
        stream.position += n;
    }
    // A short read leaves no stale bytes behind for the reader to decode.
    if (done < wanted) std::memset(out + done, 0, wanted - done);
    return static_cast<unsigned>(done / size);
}

unsigned DLL_CALLCONV WriteNothing(void*, unsigned, unsigned, fi_handle) { return 0; }

int DLL_CALLCONV SeekStream(fi_handle handle, long offset, int origin) {
    auto* stream = static_cast<RadianceStream*>(handle);
    int64_t base = 0;
    if (origin == SEEK_CUR)
        base = static_cast<int64_t>(stream->position);
    else if (origin == SEEK_END)
        base = static_cast<int64_t>(stream->size);
    else if (origin != SEEK_SET)
        return -1;
    const int64_t target = base + offset;
    if (target < 0) return -1;
    stream->position = static_cast<uint64_t>(target);
    return 0;
}

long DLL_CALLCONV TellStream(fi_handle handle) {
    return static_cast<long>(static_cast<RadianceStream*>(handle)->position);
}

// ---- Orientation --------------------------------------------------------
//
// The reader lays the scanlines out as for "-Y N +X M": the first scanline
// at the top, each running left to right. For the other seven resolution
// strings the loaded bitmap is then mirrored or transposed:
//
//   -Y +X  as loaded         +X -Y  transposed (scanlines are columns)
//   -Y -X  mirror left-right  +X +Y  transposed, then mirror top-bottom
//   +Y +X  mirror top-bottom  -X -Y  transposed, then mirror left-right
//   +Y -X  both mirrors       -X +Y  transposed, then both mirrors

// Row y counted from the top (FreeImage keeps its rows bottom-up).
FIRGBF* RowFromTop(FIBITMAP* image, unsigned y) {
    return reinterpret_cast<FIRGBF*>(
        FreeImage_GetScanLine(image, FreeImage_GetHeight(image) - 1 - y));
}

// The picture of a file whose scanlines are columns: scanline r of the file
// (row r of `loaded`) is column r of the picture, or column width-1-r when
// X runs from the right; pixel c of it is row c, or height-1-c from the
// bottom. Copied in tiles so that both bitmaps are walked in cache-sized
// pieces.
FIBITMAP* TransposeColumns(FIBITMAP* loaded, const RadianceOrientation& orientation) {
    const unsigned width = FreeImage_GetHeight(loaded);  // scanline count
    const unsigned height = FreeImage_GetWidth(loaded);  // scanline length
    FIBITMAP* picture =
        FreeImage_AllocateT(FIT_RGBF, static_cast<int>(width), static_cast<int>(height));
    if (!picture) return nullptr;
    constexpr unsigned kTile = 32;
    for (unsigned r0 = 0; r0 < width; r0 += kTile) {
        for (unsigned c0 = 0; c0 < height; c0 += kTile) {
            const unsigned r1 = std::min(width, r0 + kTile);
            const unsigned c1 = std::min(height, c0 + kTile);
            for (unsigned r = r0; r < r1; ++r) {
                const FIRGBF* scanline = RowFromTop(loaded, r);
                const unsigned x = orientation.rightToLeft ? width - 1 - r : r;
                for (unsigned c = c0; c < c1; ++c) {
                    const unsigned y = orientation.bottomToTop ? height - 1 - c : c;
                    RowFromTop(picture, y)[x] = scanline[c];
                }
            }
        }
    }
    return picture;
}

// Turns the bitmap as loaded into the picture as seen; consumes `loaded`.
FIBITMAP* Orient(FIBITMAP* loaded, const RadianceOrientation& orientation) {
    if (orientation.columns) {
        FIBITMAP* picture = TransposeColumns(loaded, orientation);
        FreeImage_Unload(loaded);
        return picture;
    }
    if ((orientation.rightToLeft && !FreeImage_FlipHorizontal(loaded)) ||
        (orientation.bottomToTop && !FreeImage_FlipVertical(loaded))) {
        FreeImage_Unload(loaded);
        return nullptr;
    }
    return loaded;
}

// ---- Writing ------------------------------------------------------------

unsigned DLL_CALLCONV ReadFile(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    return static_cast<unsigned>(std::fread(buffer, size, count, static_cast<std::FILE*>(handle)));
}

unsigned DLL_CALLCONV WriteFile(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    return static_cast<unsigned>(std::fwrite(buffer, size, count, static_cast<std::FILE*>(handle)));
}

int DLL_CALLCONV SeekFile(fi_handle handle, long offset, int origin) {
    return fseeko(static_cast<std::FILE*>(handle), offset, origin);
}

long DLL_CALLCONV TellFile(fi_handle handle) {
    return static_cast<long>(ftello(static_cast<std::FILE*>(handle)));
}

bool Fail(std::string* reason, std::string text) {
    if (reason) *reason = std::move(text);
    return false;
}

}  // namespace

FreeImageMessageScope::FreeImageMessageScope(std::function<void(const std::string&)> sink)
    : m_previous(std::move(t_messageSink)) {
    InstallMessageRouting();
    t_messageSink = std::move(sink);
}

FreeImageMessageScope::~FreeImageMessageScope() { t_messageSink = std::move(m_previous); }

FIBITMAP* LoadInputImage(const std::string& path, std::string* failureReason) {
    std::string ignored;
    std::string& reason = failureReason ? *failureReason : ignored;
    reason.clear();

    // Opened without waiting, so that a FIFO put in place of an input file
    // is refused below instead of blocking the worker until someone writes.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    std::FILE* file = fd >= 0 ? fdopen(fd, "rb") : nullptr;
    if (!file) {
        reason = "the file could not be opened: " + ErrnoText(errno);
        if (fd >= 0) close(fd);
        return nullptr;
    }
    struct FileCloser {
        std::FILE* file;
        ~FileCloser() { std::fclose(file); }
    } closer{file};

    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = "not a regular file";
        return nullptr;
    }
    const auto fileSize = static_cast<uint64_t>(info.st_size);
    RadianceHeader header;
    if (!ReadRadianceHeader(file, fileSize, &header, &reason)) return nullptr;

    RadianceStream stream;
    stream.fd = fileno(file);
    stream.header = BuildCleanHeader(header);
    stream.dataOffset = header.dataOffset;
    stream.size = stream.header.size() + (fileSize - header.dataOffset);
    FreeImageIO io{ReadStream, WriteNothing, SeekStream, TellStream};

    FIBITMAP* loaded = nullptr;
    {
        MessageRecorder messages;
        loaded = FreeImage_LoadFromHandle(FIF_HDR, &io, &stream, 0);
        if (!loaded) {
            reason = "the Radiance reader could not decode the file" + messages.Detail();
            return nullptr;
        }
    }
    if (FreeImage_GetImageType(loaded) != FIT_RGBF ||
        FreeImage_GetWidth(loaded) != header.ScanlineLength() ||
        FreeImage_GetHeight(loaded) != header.ScanlineCount()) {
        FreeImage_Unload(loaded);
        reason = "the Radiance reader gave a picture of the wrong kind or size";
        return nullptr;
    }
    FIBITMAP* picture = Orient(loaded, header.orientation);
    if (!picture) {
        reason = "not enough memory to turn the picture the right way up";
        return nullptr;
    }
    if (FreeImage_GetWidth(picture) == 0 || FreeImage_GetHeight(picture) == 0) {
        FreeImage_Unload(picture);
        reason = "the picture is empty";
        return nullptr;
    }
    return picture;
}

bool SaveImage(FIBITMAP* image, const std::string& path, int formatId, int flags,
               std::string* failureReason) {
    struct ImageUnloader {
        FIBITMAP* image;
        ~ImageUnloader() {
            if (image) FreeImage_Unload(image);
        }
    } unloader{image};

    if (!image) return Fail(failureReason, "there is no picture to save");
    if (path.empty() || path.back() == '/') return Fail(failureReason, "no output file name");

    // The picture is written to a pending file that takes the target's
    // place only once complete: a failed or interrupted save leaves no
    // partial file, and an existing file of that name intact.
    PendingFile pending;
    if (!pending.Open(path)) {
        return Fail(failureReason,
                    "no file can be created in the output folder: " + ErrnoText(errno));
    }
    // A file that is replaced keeps its permissions, as when written over.
    mode_t mode = DefaultFileMode();
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        mode = existing.st_mode & 0777;
    }
    const int writerFd = dup(pending.Fd());
    std::FILE* file = writerFd < 0 ? nullptr : fdopen(writerFd, "w+b");
    if (!file) {
        const int error = errno;
        if (writerFd >= 0) close(writerFd);
        return Fail(failureReason, "the output file could not be written: " + ErrnoText(error));
    }

    bool written = false;
    std::string detail;
    {
        MessageRecorder messages;
        FreeImageIO io{ReadFile, WriteFile, SeekFile, TellFile};
        written = FreeImage_SaveToHandle(static_cast<FREE_IMAGE_FORMAT>(formatId), image, &io, file,
                                         flags) != FALSE;
        detail = messages.Detail();
    }
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    const int flushError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written) return Fail(failureReason, "the writer could not save the picture" + detail);
    if (!flushed || !closed) {
        return Fail(failureReason,
                    "the output file could not be written: " + ErrnoText(flushError));
    }
    if (!pending.Commit(mode)) {
        return Fail(failureReason,
                    "the output file could not be put in place: " + ErrnoText(errno));
    }
    return true;
}

bool IsSameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    struct stat infoA {
    }, infoB{};
    if (stat(a.c_str(), &infoA) == 0 && stat(b.c_str(), &infoB) == 0) {
        return infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path pathA = fs::weakly_canonical(fs::absolute(a, error), error);
    if (error) return false;
    const fs::path pathB = fs::weakly_canonical(fs::absolute(b, error), error);
    if (error) return false;
    return pathA.lexically_normal() == pathB.lexically_normal();
}

}  // namespace orvex

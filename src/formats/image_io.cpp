// Loading Radiance pictures with the program's own decoder, saving output files
// through FreeImage handles on files the program opened itself, and routing
// FreeImage's messages.
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
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <vector>

#include "formats/jpeg_writer.h"
#include "formats/radiance_decoder.h"
#include "formats/radiance_header.h"
#include "platform/atomic_file.h"

namespace orvex {
namespace {

constexpr size_t kWriteBufferBytes = 256 * 1024;

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

// A Radiance input opened for decoding, with its size and header.
struct OpenedInput {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{nullptr, &std::fclose};
    uint64_t size = 0;
    RadianceHeader header;
};

// Opens `path` without waiting, so that a FIFO put in place of an input file
// is refused instead of blocking the worker until someone writes, and reads
// its header. False with the reason for anything but a regular file with a
// valid header.
bool OpenRadianceInput(const std::string& path, OpenedInput& input, std::string& reason) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    input.file.reset(fd >= 0 ? fdopen(fd, "rb") : nullptr);
    if (!input.file) {
        reason = "the file could not be opened: " + ErrnoText(errno);
        if (fd >= 0) close(fd);
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = "not a regular file";
        return false;
    }
    input.size = static_cast<uint64_t>(info.st_size);
    return ReadRadianceHeader(input.file.get(), input.size, &input.header, &reason);
}

}  // namespace

FreeImageMessageScope::FreeImageMessageScope(std::function<void(const std::string&)> sink)
    : m_previous(std::move(t_messageSink)) {
    InstallMessageRouting();
    t_messageSink = std::move(sink);
}

FreeImageMessageScope::~FreeImageMessageScope() { t_messageSink = std::move(m_previous); }

Bitmap LoadInputImage(const std::string& path, std::string* failureReason,
                      const std::shared_ptr<PixelPool>& pixels) {
    std::string ignored;
    std::string& reason = failureReason ? *failureReason : ignored;
    reason.clear();

    OpenedInput input;
    if (!OpenRadianceInput(path, input, reason)) return {};
    const int fd = fileno(input.file.get());
    const uint64_t fileSize = input.size;
    const RadianceHeader& header = input.header;

    Bitmap picture = DecodeRadianceFile(fd, fileSize, header, &reason, pixels);
    if (!picture) {
        reason = "could not decode the pixel data: " + reason;
        return {};
    }
    if (FreeImage_GetWidth(picture.get()) == 0 || FreeImage_GetHeight(picture.get()) == 0) {
        reason = "the picture is empty";
        return {};
    }
    return picture;
}

Bitmap LoadReducedInputImage(const std::string& path, uint32_t longestSide, ReducedLoad* load,
                             std::string* failureReason) {
    std::string ignored;
    std::string& reason = failureReason ? *failureReason : ignored;
    reason.clear();
    OpenedInput input;
    if (!OpenRadianceInput(path, input, reason)) return {};
    const int fd = fileno(input.file.get());
    const uint64_t fileSize = input.size;
    const RadianceHeader& header = input.header;
    const uint32_t longer = std::max(header.width, header.height);
    const uint32_t side = std::max<uint32_t>(1, longestSide);
    load->factor = (longer + side - 1) / side;
    load->fullWidth = header.width;
    load->fullHeight = header.height;
    if (load->factor <= 1) return {};
    Bitmap picture =
        DecodeRadianceFileReduced(fd, fileSize, header, load->factor, &load->lowestLuminance,
                                  &load->highestLuminance, &reason);
    if (!picture && !reason.empty()) reason = "could not decode the pixel data: " + reason;
    return picture;
}

namespace {

// Runs `write` on a pending file in the folder of `path` and puts the file in
// place only when `write` succeeded and every byte reached the disk: a failed
// or interrupted save leaves no partial file, and an existing file of that
// name intact. `write` returns false with its reason.
bool WriteThroughPendingFile(const std::string& path,
                             const std::function<bool(std::FILE*, std::string*)>& write,
                             std::string* failureReason) {
    if (path.empty() || path.back() == '/') return Fail(failureReason, "no output file name");
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
    // Writers hand over a few kilobytes at a time; a large buffer keeps that
    // to a handful of system calls for a picture. The C library takes the
    // size only together with a buffer (with none it picks the file system's
    // block size), so the buffer is ours and outlives the stream.
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kWriteBufferBytes]);
    if (buffer) std::setvbuf(file, buffer.get(), _IOFBF, kWriteBufferBytes);

    std::string writeReason;
    const bool written = write(file, &writeReason);
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    const int flushError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written) return Fail(failureReason, writeReason);
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

// JPEG files come from the program's own writer, which compresses a large
// picture on every core; pictures carrying metadata it does not copy go to
// FreeImage's writer, as does every other format.
bool UsesOwnJpegWriter(FIBITMAP* image, int formatId) {
    return formatId == FIF_JPEG && JpegWriterTakes(image);
}

// Encodes with the program's JPEG writer. Its message goes where FreeImage's
// writer sends its own (the current file's debug output) and into the reason.
bool OwnJpegFailed(const std::string& message, std::string* reason) {
    MessageRecorder messages;
    FreeImage_OutputMessageProc(FIF_JPEG, "%s", message.c_str());
    return Fail(reason, "the writer could not save the picture" + messages.Detail());
}

bool EncodeOwnJpeg(FIBITMAP* image, int flags, JpegFile* jpeg, std::string* reason) {
    std::string message;
    return EncodeJpeg(image, flags, jpeg, &message) || OwnJpegFailed(message, reason);
}

}  // namespace

bool SaveImage(FIBITMAP* image, const std::string& path, int formatId, int flags,
               std::string* failureReason) {
    if (!image) return Fail(failureReason, "there is no picture to save");
    if (UsesOwnJpegWriter(image, formatId)) {
        // The strips are written as they are finished, while the rest of the
        // picture is still being compressed.
        const auto write = [&](std::FILE* file, std::string* reason) {
            // The disk stores the first megabytes while the rest are still
            // compressed, so putting the file in place waits for little.
            BackgroundSync sync(fileno(file));
            int writeError = 0;
            size_t buffered = 0;
            const JpegSink sink = [&](std::string_view bytes) {
                if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
                    writeError = errno != 0 ? errno : EIO;
                    return false;
                }
                buffered += bytes.size();
                if (buffered >= kWriteBufferBytes) {
                    if (std::fflush(file) != 0) {
                        writeError = errno != 0 ? errno : EIO;
                        return false;
                    }
                    sync.Written(buffered);
                    buffered = 0;
                }
                return true;
            };
            std::string message;
            const bool encoded = StreamJpeg(image, flags, sink, &message);
            if (const int syncError = sync.Finish(); syncError != 0 && writeError == 0)
                writeError = syncError;
            if (writeError != 0)
                return Fail(reason,
                            "the output file could not be written: " + ErrnoText(writeError));
            return encoded || OwnJpegFailed(message, reason);
        };
        return WriteThroughPendingFile(path, write, failureReason);
    }
    const auto write = [&](std::FILE* file, std::string* reason) {
        MessageRecorder messages;
        FreeImageIO io{ReadFile, WriteFile, SeekFile, TellFile};
        if (FreeImage_SaveToHandle(static_cast<FREE_IMAGE_FORMAT>(formatId), image, &io, file,
                                   flags) != FALSE) {
            return true;
        }
        return Fail(reason, "the writer could not save the picture" + messages.Detail());
    };
    return WriteThroughPendingFile(path, write, failureReason);
}

bool EncodeImage(FIBITMAP* image, int formatId, int flags, std::string* bytes,
                 std::string* failureReason) {
    if (!image) return Fail(failureReason, "there is no picture to save");
    if (UsesOwnJpegWriter(image, formatId)) {
        JpegFile jpeg;
        if (!EncodeOwnJpeg(image, flags, &jpeg, failureReason)) return false;
        *bytes = jpeg.Join();
        return true;
    }
    MessageRecorder messages;
    FIMEMORY* memory = FreeImage_OpenMemory(nullptr, 0);
    if (!memory) return Fail(failureReason, "not enough memory to write the picture");
    bool encoded = FreeImage_SaveToMemory(static_cast<FREE_IMAGE_FORMAT>(formatId), image, memory,
                                          flags) != FALSE;
    BYTE* data = nullptr;
    DWORD size = 0;
    if (encoded) encoded = FreeImage_AcquireMemory(memory, &data, &size) != FALSE;
    if (encoded) bytes->assign(reinterpret_cast<const char*>(data), size);
    FreeImage_CloseMemory(memory);
    if (!encoded) {
        return Fail(failureReason, "the writer could not save the picture" + messages.Detail());
    }
    return true;
}

bool SaveEncoded(std::string_view bytes, const std::string& path, std::string* failureReason) {
    const auto write = [bytes](std::FILE* file, std::string* reason) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size()) return true;
        return Fail(reason, "the output file could not be written: " + ErrnoText(errno));
    };
    return WriteThroughPendingFile(path, write, failureReason);
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

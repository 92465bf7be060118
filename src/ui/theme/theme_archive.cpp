// Theme packages through libarchive's ZIP reader. The package is read into
// memory once, so both passes (index, then unpack) see the same bytes even
// if the file is replaced meanwhile. The seekable ZIP reader takes names and
// sizes from the central directory, so walking the index never inflates data.
#include "ui/theme/theme_archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <set>

#include "text/unicode_case.h"

namespace orvex {
namespace {

struct ArchiveFree {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveFree>;

ArchivePtr OpenZip(const std::string& bytes) {
    ArchivePtr a(archive_read_new());
    if (!a) return nullptr;
    archive_read_support_format_zip_seekable(a.get());
    if (archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) return nullptr;
    return a;
}

std::string ErrorText(archive* a, const char* fallback) {
    const char* text = a ? archive_error_string(a) : nullptr;
    return text ? text : fallback;
}

// Whether the package holds a complete end-of-directory record (with its
// comment) near its end. A package cut short loses it, and the reader might
// otherwise make do with a damaged directory; nothing from a damaged package
// is trusted. Padding after the record is tolerated.
bool HasCompleteEndRecord(const std::string& bytes) {
    constexpr size_t kRecord = 22;
    if (bytes.size() < kRecord) return false;
    const size_t lowest = bytes.size() > kRecord + 0xFFFF ? bytes.size() - kRecord - 0xFFFF : 0;
    for (size_t pos = bytes.size() - kRecord + 1; pos-- > lowest;) {
        if (bytes.compare(pos, 4, "PK\x05\x06") != 0) continue;
        const size_t comment = static_cast<unsigned char>(bytes[pos + 20]) |
                               static_cast<size_t>(static_cast<unsigned char>(bytes[pos + 21]))
                                   << 8;
        if (pos + kRecord + comment <= bytes.size()) return true;
    }
    return false;
}

// Reads the whole package. Opened without waiting and checked on the open
// descriptor, so a FIFO or device put in a package's place can neither hang
// the start nor be read without end.
bool ReadPackageFile(const std::string& path, uint64_t limit, std::string& bytes,
                     std::string& problem) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        problem = "no package file";
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (!ok) {
        problem = "not a file";
    } else if (info.st_size <= 0 || static_cast<uint64_t>(info.st_size) > limit) {
        problem = info.st_size <= 0 ? "empty package file" : "package file too large";
        ok = false;
    }
    if (ok) {
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        bytes.resize(done);  // a file that shrank meanwhile is judged as it was read
        if (bytes.empty()) {
            problem = "package file unreadable";
            ok = false;
        }
    }
    ::close(fd);
    return ok;
}

bool IsFileEntry(archive_entry* entry) { return archive_entry_filetype(entry) == AE_IFREG; }

}  // namespace

bool ThemeArchive::Open(const std::string& path) {
    m_bytes.clear();
    m_index.clear();
    m_problem.clear();

    if (!ReadPackageFile(path, m_limits.MaxPackageBytes, m_bytes, m_problem)) {
        m_bytes.clear();
        return false;
    }

    ArchivePtr a = HasCompleteEndRecord(m_bytes) ? OpenZip(m_bytes) : nullptr;
    if (!a) {
        m_problem = "not a ZIP archive, or cut short";
        m_bytes.clear();
        return false;
    }
    archive_entry* entry = nullptr;
    size_t count = 0;
    int rc = ARCHIVE_OK;
    while ((rc = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK || rc == ARCHIVE_WARN) {
        if (++count > m_limits.MaxEntries) {
            m_problem = "too many entries";
            break;
        }
        const char* name = archive_entry_pathname(entry);
        if (!name || !IsFileEntry(entry)) continue;
        // An entry without a declared size is judged while it is unpacked.
        const uint64_t declared =
            archive_entry_size_is_set(entry) ? static_cast<uint64_t>(archive_entry_size(entry)) : 0;
        if (declared > m_limits.MaxEntryBytes) continue;
        m_index.emplace(ToLowerAscii(name), declared);  // the first of equal names wins
    }
    if (m_problem.empty() && rc != ARCHIVE_EOF) m_problem = ErrorText(a.get(), "broken archive");
    if (!m_problem.empty()) {
        m_index.clear();
        m_bytes.clear();
        return false;
    }
    return true;
}

bool ThemeArchive::Contains(std::string_view name) const {
    return m_index.count(ToLowerAscii(name)) != 0;
}

bool ThemeArchive::Unpack(const std::vector<std::string>& names,
                          std::map<std::string, std::string>& found) const {
    found.clear();
    // Requested lower-cased names, each with the spellings asked for.
    std::map<std::string, std::vector<std::string>> wanted;
    for (const std::string& name : names) {
        std::string key = ToLowerAscii(name);
        if (m_index.count(key)) wanted[key].push_back(name);
    }
    if (wanted.empty()) return !m_bytes.empty();

    ArchivePtr a = OpenZip(m_bytes);
    if (!a) {
        m_problem = "not a ZIP archive";
        return false;
    }
    std::set<std::string> done;
    std::map<std::string, std::string> unpacked;
    archive_entry* entry = nullptr;
    int rc = ARCHIVE_OK;
    while (done.size() < wanted.size() &&
           ((rc = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK || rc == ARCHIVE_WARN)) {
        const char* rawName = archive_entry_pathname(entry);
        if (!rawName || !IsFileEntry(entry)) continue;
        const std::string key = ToLowerAscii(rawName);
        if (!wanted.count(key) || done.count(key)) continue;
        done.insert(key);

        // Unpack in pieces, refusing the entry as soon as it grows past the
        // size limit or expands far more than pictures and texts do.
        std::string data;
        const la_int64_t packedStart = archive_filter_bytes(a.get(), -1);
        bool refused = false;
        char buffer[16384];
        for (;;) {
            const la_ssize_t n = archive_read_data(a.get(), buffer, sizeof buffer);
            if (n == 0) break;
            if (n < 0) {
                if (n == ARCHIVE_FATAL) {
                    m_problem = ErrorText(a.get(), "broken archive");
                    return false;
                }
                refused = true;  // this entry only (for example an unsupported method)
                break;
            }
            data.append(buffer, static_cast<size_t>(n));
            const uint64_t packed =
                static_cast<uint64_t>(archive_filter_bytes(a.get(), -1) - packedStart);
            const uint64_t size = data.size();
            if (size > m_limits.MaxEntryBytes ||
                (size > m_limits.ExpansionFreeBytes &&
                 size > m_limits.MaxExpansion * (packed == 0 ? 1 : packed))) {
                refused = true;
                break;
            }
        }
        if (!refused) unpacked.emplace(key, std::move(data));
    }
    if (rc != ARCHIVE_OK && rc != ARCHIVE_WARN && rc != ARCHIVE_EOF) {
        m_problem = ErrorText(a.get(), "broken archive");
        return false;
    }
    for (auto& [key, data] : unpacked) {
        for (const std::string& spelling : wanted[key]) found[spelling] = data;
    }
    return true;
}

std::string ThemeArchive::UnpackOne(std::string_view name) const {
    std::map<std::string, std::string> found;
    const std::string wanted(name);
    if (!Unpack({wanted}, found)) return "";
    const auto it = found.find(wanted);
    return it == found.end() ? "" : it->second;
}

}  // namespace orvex

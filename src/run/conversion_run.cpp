// Output-folder resolution, the input queue and the run object that owns a
// job and its worker thread.
#include "run/conversion_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <vector>

#include "formats/input_formats.h"
#include "formats/radiance_header.h"
#include "platform/available_memory.h"
#include "settings/program_identity.h"
#include "text/unicode_case.h"

namespace orvex {
namespace {

// An extension is a "." after the last folder separator and the last space.
bool HasExtension(const std::string& path) {
    size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    size_t boundary = path.find_last_of("/ ");
    return boundary == std::string::npos || dot > boundary;
}

std::string LowerExtensionOf(const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : ToLowerUtf8(name.substr(dot + 1));
}

bool IsNonEmptyRegularFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    auto size = std::filesystem::file_size(path, error);
    return !error && size > 0;
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

}  // namespace

bool IsInputFolder(const std::string& path) {
    if (!IsFolder(path)) return false;
    // A folder named like a picture ("x.hdr") is not taken for a folder of
    // pictures: it stays the invalid input file it always was.
    const std::vector<std::string> accepted = BuildAcceptedInputExtensions(InputExtensions());
    std::string name = path;
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    const std::string extension = LowerExtensionOf(name);
    return extension.empty() ||
           std::find(accepted.begin(), accepted.end(), extension) == accepted.end();
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WorkingFolder() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return {};
        buffer.resize(buffer.size() * 2);
    }
    // Linux reports a removed working folder as "(unreachable)/..." or with
    // " (deleted)"; neither is a place to write to.
    std::string folder = buffer.data();
    if (folder.empty() || folder.front() != '/') return {};
    if (folder.back() != '/') folder += '/';
    return folder;
}

RunCheck ResolveOutputFolder(const std::string& folder, const std::string& workingFolder,
                             std::string& resolved) {
    resolved.clear();
    std::string path = folder;
    if (path.empty() || path.front() != '/') {
        // Judged by what the folder is once "." and ".." are resolved, not by
        // its spelling: "./../x" climbs out, a folder named "..cache" does not.
        const std::filesystem::path relative =
            std::filesystem::path(path.empty() ? "." : path).lexically_normal();
        if (!relative.empty() && *relative.begin() == "..")
            return RunCheck{RunFault::IncorrectOutputFolder, folder};
        if (workingFolder.empty() || workingFolder.front() != '/')
            return RunCheck{RunFault::InvalidOutputFolder, folder};
        std::string tail = relative.string();
        if (tail == ".") tail.clear();
        path = workingFolder + tail;
    }
    if (path.back() != '/') path += '/';
    if (!IsFolder(path)) return RunCheck{RunFault::InvalidOutputFolder, path};
    resolved = path;
    return {};
}

RunCheck CheckInputFile(const std::string& path) {
    if (!HasExtension(path) || !IsNonEmptyRegularFile(path))
        return RunCheck{RunFault::InvalidInputFile, path};
    return {};
}

FileQueue QueueInputFile(const std::string& path) {
    FileQueue queue;
    std::string extension = LowerExtensionOf(path);
    if (extension == "txt" || extension == "lst") return queue;
    if (IsAcceptedInputFile(path, BuildAcceptedInputExtensions(InputExtensions())))
        queue.push_back(QueuedFile{path, ""});
    return queue;
}

namespace {

// Why an entry that names a picture by its extension cannot be taken as one
// ("" when it can): what the walk reports as skipped, and what an input named
// in a batch fails with.
std::string UnusableInput(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) return std::strerror(errno);
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        return S_ISLNK(link.st_mode) ? "a dangling symbolic link" : std::strerror(errno);
    }
    if (S_ISDIR(target.st_mode)) return "a folder";
    if (!S_ISREG(target.st_mode)) return "not a regular file";
    if (target.st_size == 0) return "empty";
    if (::access(path.c_str(), R_OK) != 0) return std::string("unreadable (") + std::strerror(errno) + ")";
    return {};
}

bool HasAcceptedExtension(const std::string& path, const std::vector<std::string>& accepted) {
    const std::string extension = LowerExtensionOf(path);
    return !extension.empty() && std::find(accepted.begin(), accepted.end(), extension) != accepted.end();
}

}  // namespace

RunCheck QueueInputs(const std::vector<std::string>& inputs, bool withSubfolders,
                     FileQueue& queue, std::vector<SkippedInput>* skipped) {
    namespace fs = std::filesystem;
    queue.clear();
    std::set<std::string> seen;
    auto add = [&](QueuedFile file) {
        if (seen.insert(file.path).second) queue.push_back(std::move(file));
    };
    const std::vector<std::string> accepted = BuildAcceptedInputExtensions(InputExtensions());
    for (const std::string& input : inputs) {
        if (!IsInputFolder(input)) {
            // A picture named in the batch that exists but cannot be read as
            // one fails by itself; the others are still converted.
            struct stat entry {};
            if (HasExtension(input) && HasAcceptedExtension(input, accepted) &&
                ::lstat(input.c_str(), &entry) == 0) {
                if (std::string unusable = UnusableInput(input); !unusable.empty()) {
                    add(QueuedFile{input, "", "The input is " + unusable});
                    continue;
                }
            }
            if (RunCheck check = CheckInputFile(input); !check.ok()) return check;
            for (const QueuedFile& file : QueueInputFile(input)) add(file);
            continue;
        }
        // A folder: its accepted files in name order; symbolic links to
        // folders are not followed, so a loop cannot hold the run. An entry
        // named like a picture that is none is skipped and said so.
        std::string root = input;
        if (root.back() != '/') root += '/';
        std::vector<std::string> found;
        std::vector<SkippedInput> passed;
        auto look = [&](const fs::directory_entry& item, bool walkedInto) {
            const std::string path = item.path().string();
            if (!HasAcceptedExtension(path, accepted)) return;
            if (walkedInto) return;  // a folder named like a picture, walked as a folder
            if (std::string unusable = UnusableInput(path); !unusable.empty())
                passed.push_back(SkippedInput{path, unusable});
            else
                found.push_back(path);
        };
        std::error_code error;
        if (withSubfolders) {
            for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
                 it.increment(error)) {
                std::error_code kind;
                look(*it, it->is_directory(kind) && !it->is_symlink(kind));
            }
        } else {
            for (fs::directory_iterator it(root, error), end; !error && it != end;
                 it.increment(error)) {
                look(*it, false);
            }
        }
        std::sort(found.begin(), found.end());
        for (const std::string& path : found) {
            const std::string folder = FolderOf(path);
            add(QueuedFile{path, folder.size() > root.size() ? folder.substr(root.size()) : std::string(), ""});
        }
        if (skipped) {
            std::sort(passed.begin(), passed.end(),
                      [](const SkippedInput& a, const SkippedInput& b) { return a.path < b.path; });
            skipped->insert(skipped->end(), passed.begin(), passed.end());
        }
    }
    return {};
}

int32_t FilesAtOnceFor(const FileQueue& queue, int32_t wanted) {
    if (wanted <= 0) wanted = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    if (wanted == 1 || queue.size() < 2) return 1;
    // The largest picture of the queue, as its header declares it.
    uint64_t largest = 0;
    for (const QueuedFile& file : queue) {
        if (!file.failure.empty()) continue;  // never opened: it may be a pipe
        std::FILE* stream = std::fopen(file.path.c_str(), "rb");
        if (stream == nullptr) continue;
        std::error_code error;
        const auto size = std::filesystem::file_size(file.path, error);
        RadianceHeader header;
        if (!error && ReadRadianceHeader(stream, size, &header, nullptr)) {
            largest = std::max<uint64_t>(largest, uint64_t{header.width} * header.height);
        }
        std::fclose(stream);
    }
    const uint64_t perFile = std::max<uint64_t>(1, largest * kToneMapBytesPerPixel);
    const uint64_t fit = AvailableMemoryBytes() / perFile;
    return static_cast<int32_t>(std::clamp<uint64_t>(fit, 1, static_cast<uint64_t>(wanted)));
}

ConversionRun::ConversionRun(ConversionJob job, ConversionObserver* observer)
    : m_job(std::move(job)),
      m_observer(observer),
      m_resources(std::make_unique<RunResources>(m_job.settings, m_job.font, m_job.cores)) {}

ConversionRun::~ConversionRun() {
    if (m_thread.joinable()) {
        RequestStop();
        m_control.hold.Release();
        m_thread.join();
    }
}

void ConversionRun::Start() {
    if (m_thread.joinable() || m_finished.load()) return;
    {
        std::lock_guard<std::mutex> lock(m_control.progressLock);
        m_control.progress.FilesStarted = 0;
        m_control.progress.CurrentFile.clear();
        m_control.progress.LastFileMillis = 0;
        m_control.progress.FilesConverted = 0;
        m_control.progress.KeepRunning = 1;
    }
    m_thread = std::thread([this] {
        m_outcome = ConversionWorker(m_job, *m_resources, m_control, m_observer);
        m_finished.store(true);
    });
}

void ConversionRun::Wait() {
    if (m_thread.joinable()) m_thread.join();
}

bool ConversionRun::Finished() const { return m_finished.load(); }

void ConversionRun::RequestStop() { m_control.progress.KeepRunning.store(0); }

ConversionRun::Progress ConversionRun::Snapshot() const {
    std::lock_guard<std::mutex> lock(m_control.progressLock);
    Progress copy;
    copy.filesStarted = m_control.progress.FilesStarted;
    copy.currentFile = m_control.progress.CurrentFile;
    copy.lastFileMillis = m_control.progress.LastFileMillis;
    copy.filesConverted = m_control.progress.FilesConverted;
    return copy;
}

}  // namespace orvex

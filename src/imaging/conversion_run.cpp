// Output-folder resolution, the input queue and the run object that owns a
// job and its worker thread.
#include "imaging/conversion_run.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "formats/input_formats.h"
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

ConversionRun::ConversionRun(ConversionJob job, ConversionObserver* observer)
    : m_job(std::move(job)), m_observer(observer) {}

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
        m_outcome = ConversionWorker(m_job, m_control, m_observer);
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

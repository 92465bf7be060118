// Output names of a run: refused before any work where they are known, and
// recorded as they are written where they are known only at save time.
#include "run/output_names.h"

#include <sys/stat.h>

#include <optional>

#include "settings/conversion_settings.h"
#include "settings/file_context.h"
#include "settings/file_name_mask.h"
#include "text/unicode_case.h"

namespace orvex {
namespace {

using FileId = std::pair<dev_t, ino_t>;

std::optional<FileId> IdOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return FileId{status.st_dev, status.st_ino};
}

}  // namespace

bool OutputNamesKnownBeforeRun(const ConversionSettings& settings, const SaveTarget& target) {
    // The mask is lower-cased before its placeholders are replaced.
    const std::string mask = ToLowerUtf8(settings.FilenameMask);
    for (const char* placeholder : {"%width%", "%height%", "%frame%", "%rnd%", "%n%", "%yyyy%",
                                    "%mm%", "%dd%", "%hh%", "%ii%", "%ss%"}) {
        if (mask.find(placeholder) != std::string::npos) return false;
    }
    return !(target.automaticDepth() && mask.find("%bpp%") != std::string::npos);
}

RunCheck CheckOutputNames(const ConversionJob& job) {
    if (job.queue.size() < 1 || !OutputNamesKnownBeforeRun(job.settings, job.target)) return {};
    std::map<FileId, std::string> inputs;
    for (const QueuedFile& entry : job.queue) {
        if (std::optional<FileId> id = IdOf(entry.path)) inputs.emplace(*id, entry.path);
    }
    std::map<std::string, std::string> outputs;  // output -> the input that writes it
    for (const QueuedFile& entry : job.queue) {
        if (!entry.failure.empty()) continue;  // fails without writing anything
        const FileContext file = FileContextFor(job, entry, job.firstFileNumber, job.randomNumber);
        if (!IsPlainFileName(ExpandFileNameMask(job.settings, file))) continue;  // fails by itself
        const std::string output = BuildOutputPath(job.settings, file);
        if (std::optional<FileId> id = IdOf(output)) {
            if (auto input = inputs.find(*id); input != inputs.end() && input->second != entry.path) {
                RunCheck check(RunFault::OutputOverInput, output, input->second);
                check.otherPath = entry.path;
                return check;
            }
        }
        auto [previous, added] = outputs.emplace(output, entry.path);
        if (!added) {
            RunCheck check(RunFault::DuplicateOutput, output, previous->second);
            check.otherPath = entry.path;
            return check;
        }
    }
    return {};
}

RunOutputs::RunOutputs(const FileQueue& queue) {
    for (const QueuedFile& entry : queue) {
        if (!entry.failure.empty()) continue;
        if (std::optional<FileId> id = IdOf(entry.path)) m_inputs.emplace(*id, entry.path);
    }
}

std::string RunOutputs::Refusal(const std::string& output, const std::string& input) const {
    std::lock_guard<std::mutex> guard(m_lock);
    if (auto written = m_written.find(output); written != m_written.end())
        return "The output file " + output + " was already written in this run from " +
               written->second;
    if (std::optional<FileId> id = IdOf(output)) {
        if (auto other = m_inputs.find(*id); other != m_inputs.end() && other->second != input)
            return "The output file would replace another input of this run: " + other->second;
    }
    return {};
}

void RunOutputs::Written(const std::string& output, const std::string& input) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_written.emplace(output, input);
}

}  // namespace orvex

// Shares, resumption, sequence statistics and the JSON report of a console run.
#include "console/batch_options.h"

#include <sys/stat.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "console/file_report.h"
#include "run/sequence_statistics.h"
#include "run/shard_selection.h"
#include "run/skip_existing.h"

namespace orvex {

std::string BatchOptions::Apply(ConversionJob& job, const RunReport& report) {
    const ProjectState& p = m_project;
    if (p.ShardCount > 0)
        report.Debug("Shard: " + std::to_string(p.ShardIndex) + "/" + std::to_string(p.ShardCount));
    if (p.SkipExisting) report.Debug("Skip Existing: 1");
    if (!p.ReportFile.empty()) report.Debug("Report: " + report.Path(p.ReportFile));
    if (!p.MeasureSequenceFile.empty())
        report.Debug("Measure Sequence: " + report.Path(p.MeasureSequenceFile));
    if (!p.SequenceStatisticsFile.empty())
        report.Debug("Sequence Statistics: " + report.Path(p.SequenceStatisticsFile));
    if (p.SequenceWindow > 0) report.Debug("Sequence Window: " + std::to_string(p.SequenceWindow));

    if (p.SequenceWindow > 0 && p.SequenceStatisticsFile.empty())
        return "--sequence-window needs --sequence-statistics";
    if (p.SkipExisting && !measuring()) {
        const std::string unknown = PlaceholderUnknownAhead(job.settings);
        if (!unknown.empty())
            return "--skip-existing cannot find earlier outputs by a file-name mask with " +
                   unknown;
    }

    m_listSize = job.queue.size();
    // The numbers "%n%" shows come from the whole list, so that shares and
    // resumed runs name each file as one full run does.
    if (p.ShardCount > 0 || p.SkipExisting) NumberByPosition(job.queue);
    if (p.ShardCount > 0) {
        Shard shard;
        shard.index = p.ShardIndex;
        shard.count = p.ShardCount;
        KeepShard(job.queue, shard);
    }

    if (!p.SequenceStatisticsFile.empty() && !measuring()) {
        std::string reason;
        const auto frames = ReadSequenceStatistics(p.SequenceStatisticsFile, reason);
        if (!frames)
            return "Invalid sequence statistics file: " + PrintablePath(p.SequenceStatisticsFile) +
                   " (" + reason + ")";
        const std::string missing = AssignSequenceStatistics(job.queue, *frames, p.SequenceWindow);
        if (!missing.empty())
            return "The sequence statistics file " + PrintablePath(p.SequenceStatisticsFile) +
                   " does not list " + PrintablePath(missing);
    }

    // A measuring run converts nothing, so it has no report to write.
    if (!p.ReportFile.empty() && !measuring() && !m_report.Open(p.ReportFile))
        return "Cannot write the report file: " + PrintablePath(p.ReportFile) + " (" +
               std::strerror(errno) + ")";
    job.skipExisting = p.SkipExisting != 0;
    return {};
}

int32_t BatchOptions::Measure(
    const ConversionJob& job,
    const std::function<void(const std::string&, const std::string&)>& failed) {
    JsonLinesFile statistics;
    if (!statistics.Open(m_project.MeasureSequenceFile)) return -1;
    const FileQueue& queue = job.queue;
    // As many files at once as a conversion would take (the memory's bound),
    // on the run's cores; the lines follow the queue's order.
    const size_t atOnce = static_cast<size_t>(std::max(1, job.filesAtOnce));
    const int cores = job.cores > 0 ? job.cores : tbb::this_task_arena::max_concurrency();
    tbb::task_arena arena(std::min(cores, tbb::this_task_arena::max_concurrency()));
    int32_t measured = 0;
    for (size_t first = 0; first < queue.size(); first += atOnce) {
        const size_t count = std::min(atOnce, queue.size() - first);
        std::vector<std::optional<FrameStatistics>> frames(count);
        std::vector<std::string> reasons(count);
        arena.execute([&] {
            tbb::parallel_for(size_t{0}, count, [&](size_t i) {
                const QueuedFile& file = queue[first + i];
                const int32_t position =
                    file.listPosition >= 0 ? file.listPosition : static_cast<int32_t>(first + i);
                frames[i] = MeasureFrame(job.settings, file.path, position, reasons[i]);
            });
        });
        for (size_t i = 0; i < count; ++i) {
            if (frames[i]) {
                statistics.Write(FrameStatisticsLine(*frames[i]));
                ++measured;
            } else {
                failed(queue[first + i].path, reasons[i]);
            }
        }
        if (statistics.error() != 0) {
            errno = statistics.error();
            return -1;
        }
    }
    return measured;
}

int64_t OutputBytes(const FileResult& result) {
    struct stat output {};
    if (!result.converted || ::stat(result.outputPath.c_str(), &output) != 0) return 0;
    return static_cast<int64_t>(output.st_size);
}

}  // namespace orvex

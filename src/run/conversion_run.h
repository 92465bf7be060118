// The run API both faces call: resolving the output folder, queueing the
// input, and a run object that owns its job and converts it on a thread of
// its own. The checks of the options are in run_checks.h.
#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "run/conversion_worker.h"
#include "run/run_checks.h"
#include "run/run_resources.h"

namespace orvex {

// The folder part of `path` up to and including the last "/", or "".
std::string FolderOf(const std::string& path);

// The working folder ending with "/", or "" when it cannot be had (it was
// removed after the process entered it).
std::string WorkingFolder();

// Resolves `folder` as given by the user: a relative folder is taken from
// `workingFolder` (which ends with "/"), and the result ends with "/". A
// relative folder that climbs above the working folder once "." and ".."
// are resolved is IncorrectOutputFolder; one that cannot be resolved (no
// working folder) or that is not an existing folder is InvalidOutputFolder.
RunCheck ResolveOutputFolder(const std::string& folder, const std::string& workingFolder,
                             std::string& resolved);

// The console's input: a path with an extension naming an existing regular
// file of at least one byte.
RunCheck CheckInputFile(const std::string& path);

// The queue of a single input file: list files ("txt", "lst") are never
// queued, any other file when it is an accepted input type.
FileQueue QueueInputFile(const std::string& path);

// True when `path` is a folder to take pictures from: an existing folder
// whose name does not end in an input file's extension.
bool IsInputFolder(const std::string& path);

// A folder entry named like a picture that the walk passed over, and why
// ("empty", "not a regular file", "a dangling symbolic link", ...).
struct SkippedInput {
    std::string path;
    std::string reason;
};

// The queue of several inputs in the order given: a file as QueueInputFile
// takes it, a folder with its accepted input files in name order (and those
// of its sub-folders, each with its sub-folder, when `withSubfolders`). A file
// named twice is queued once. A missing input, or a file that CheckInputFile
// refuses, is InvalidInputFile (with the input as detail); but a named
// picture that exists and cannot be read as one (empty, a pipe, a dangling
// link) is queued with its failure, so that it alone fails. Folder entries
// named like pictures that are none are added to `skipped`, in name order.
RunCheck QueueInputs(const std::vector<std::string>& inputs, bool withSubfolders,
                     FileQueue& queue, std::vector<SkippedInput>* skipped = nullptr);

// How many files of `queue` may be converted at once: `wanted` (0 = one per
// processor core), but never more than the memory the largest picture needs
// allows side by side, and at least one.
int32_t FilesAtOnceFor(const FileQueue& queue, int32_t wanted);

// A copy of the numbers and texts a run needs, started on its own thread,
// with the resources it owns (fonts, watermark picture, picture memory and
// the arena that bounds its cores). The caller may change its own settings
// while the run goes on; the run's copy is untouched.
class ConversionRun {
  public:
    explicit ConversionRun(ConversionJob job, ConversionObserver* observer = nullptr);
    // Stops a run still going (at its next step) and waits for its thread.
    ~ConversionRun();
    ConversionRun(const ConversionRun&) = delete;
    ConversionRun& operator=(const ConversionRun&) = delete;

    // Resets the progress record and starts the worker; once only.
    void Start();
    // Waits until the worker has ended.
    void Wait();
    // True once the worker has ended.
    bool Finished() const;

    // Asks the worker to stop at its next step; the file it has open leaves
    // nothing behind.
    void RequestStop();
    // The cooperative pause: the worker holds still at its next checkpoint.
    WorkerHold& Hold() { return m_control.hold; }

    struct Progress {
        int32_t filesStarted = 0;
        std::string currentFile;
        int64_t lastFileMillis = 0;
        int32_t filesConverted = 0;  // set once the worker has ended
    };
    Progress Snapshot() const;

    const ConversionJob& job() const { return m_job; }
    // Valid after Wait() or once Finished().
    const WorkerOutcome& outcome() const { return m_outcome; }

  private:
    ConversionJob m_job;
    ConversionObserver* m_observer;
    WorkerControl m_control;
    WorkerOutcome m_outcome;
    std::unique_ptr<RunResources> m_resources;
    std::thread m_thread;
    std::atomic<bool> m_finished{false};
};

}  // namespace orvex

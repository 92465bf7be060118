// One output per name per run, and no output on top of an input: what the
// run knows of its names before any work, and the record of what it wrote.
#pragma once

#include <sys/types.h>

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "run/conversion_worker.h"
#include "run/run_checks.h"

namespace orvex {

// True when every output name of a run can be told before it starts: the
// file-name mask shows nothing that depends on the processed picture (its
// size, frame or chosen depth), on the clock, on how many files converted
// before ("%n%") or on a per-file draw ("%rnd%").
bool OutputNamesKnownBeforeRun(const ConversionSettings& settings, const SaveTarget& target);

// Before any work, for a run whose names are known ahead: two inputs that
// would write the same output are DuplicateOutput, an output that is one of
// the inputs (the same file, through links too) is OutputOverInput. The
// fault's detail is the output, its path the (first) input and its
// otherPath the other input. Ok when the names are not known ahead: the
// run then checks each name as it saves (RunOutputs).
RunCheck CheckOutputNames(const ConversionJob& job);

// The record of one run's outputs, consulted at each file's save: the files
// of the run's inputs (device and inode) and the outputs written so far.
class RunOutputs {
  public:
    explicit RunOutputs(const FileQueue& queue);

    // Why `output` may not be written for `input`: it is another input of
    // the run, or an earlier file of the run wrote it. "" when it may.
    std::string Refusal(const std::string& output, const std::string& input) const;
    // `output` was written for `input`.
    void Written(const std::string& output, const std::string& input);

  private:
    mutable std::mutex m_lock;
    std::map<std::pair<dev_t, ino_t>, std::string> m_inputs;  // file -> input path
    std::map<std::string, std::string> m_written;              // output -> input path
};

}  // namespace orvex

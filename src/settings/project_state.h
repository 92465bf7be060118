// The record of the current job as a face sets it up: its inputs, output
// folder and type, and the numbers the next run starts from. What belongs to
// one file being converted is the worker's own FileContext.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvex {

struct ProjectState {
    std::string AppFolder;       // folder of the executable, ends with "/"
    std::string ProjectFile;     // current list file name
    std::string InputPath;       // file being converted
    std::string InputArgument;   // input as named by "-i"
    std::vector<std::string> MoreInputArguments;  // the inputs of further "-i", in order
    int32_t FilesAtOnce = 0;     // "--jobs": files at once and cores used, 0 = every core
    std::string OutputFolder;    // ends with "/" once resolved
    int32_t RandomNumber = 0;    // 1 to 99999, "%rnd%"
    int32_t FileCounter = 0;     // 1 after a reset, "%n%"
    std::string InputExtension;
    std::string OutputExtension;
    int8_t CommandLineInput = 0;
    std::string RunMode;  // "", "DEBUG" or "T"
    // Batch options of a console run; empty or 0 when not given.
    int32_t ShardIndex = 0;              // "--shard=K/N": K, 1-based
    int32_t ShardCount = 0;              // N; 0 = the whole list
    int8_t SkipExisting = 0;             // "--skip-existing"
    std::string ReportFile;              // "--report"
    std::string MeasureSequenceFile;     // "--measure-sequence"
    std::string SequenceStatisticsFile;  // "--sequence-statistics"
    int32_t SequenceWindow = 0;          // "--sequence-window": 0 = locked
};

// A uniformly drawn number from 1 to 99999 for "%rnd%".
int32_t DrawRandomNumber();

// Clears the job: every text empty and every number 0, except AppFolder
// (given), ProjectFile "untitled.lmv", a fresh RandomNumber and FileCounter 1.
void ResetProjectState(ProjectState& project, const std::string& appFolder);

}  // namespace orvex

// The argument loop. Run options (input, output, conversion, profile, the
// number of files at once and the three run flags) are handled here; every
// other "--" name is looked up in the long option table, and a name found in
// neither ends the run.
#include "console/command_line.h"

#include <algorithm>
#include <array>

#include "console/file_report.h"
#include "console/option_table.h"
#include "console/profile_file.h"
#include "console/value_parsing.h"
#include "run/shard_selection.h"
#include "text/trim.h"
#include "text/unicode_case.h"

namespace orvex {

namespace {

enum class RunOption {
    Input, Output, Conversion, Profile, Debug, Quiet, Pause, Jobs,
    Shard, SkipExisting, Report, MeasureSequence, SequenceStatistics, SequenceWindow,
};

struct RunOptionRow {
    const char* shortName;  // nullptr when there is none
    const char* longName;
    RunOption option;
};

constexpr std::array<RunOptionRow, 14> kRunOptions{{
    {"-I", "--INPUT", RunOption::Input},
    {"-O", "--OUTPUT", RunOption::Output},
    {"-C", "--CONVERSION", RunOption::Conversion},
    {nullptr, "--PROFILE", RunOption::Profile},
    {"-D", "--DEBUG", RunOption::Debug},
    {"-Q", "--QUIET", RunOption::Quiet},
    {"-P", "--PAUSE", RunOption::Pause},
    {nullptr, "--JOBS", RunOption::Jobs},
    {nullptr, "--SHARD", RunOption::Shard},
    {nullptr, "--SKIP-EXISTING", RunOption::SkipExisting},
    {nullptr, "--REPORT", RunOption::Report},
    {nullptr, "--MEASURE-SEQUENCE", RunOption::MeasureSequence},
    {nullptr, "--SEQUENCE-STATISTICS", RunOption::SequenceStatistics},
    {nullptr, "--SEQUENCE-WINDOW", RunOption::SequenceWindow},
}};

// The modes start-up picks by the first argument; later on they are
// tolerated and do nothing, as they always have.
bool IsModeOption(const std::string& name) {
    for (const char* mode : {"-V", "--VERSION", "-H", "-?", "--HELP", "-U", "-T"}) {
        if (name == mode) return true;
    }
    return false;
}

const RunOptionRow* FindRunOption(const std::string& name) {
    for (const RunOptionRow& row : kRunOptions) {
        if ((row.shortName != nullptr && name == row.shortName) || name == row.longName)
            return &row;
    }
    return nullptr;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWithQuote(const std::string& text) { return text.size() >= 2 && text.back() == '"'; }

// A value that opens a quote the caller's shell split into several
// arguments is joined back with single spaces; `index` moves past every
// argument taken.
std::string JoinQuoted(std::string value, const std::vector<std::string>& arguments,
                       size_t& index) {
    if (value.empty() || value.front() != '"') return value;
    while (!EndsWithQuote(value) && index + 1 < arguments.size()) {
        ++index;
        value += ' ';
        value += OptionValue(arguments, index);
    }
    return value;
}

class ArgumentLoop {
  public:
    ArgumentLoop(const std::vector<std::string>& arguments, ConversionSettings& settings,
                 ProjectState& project)
        : m_arguments(arguments), m_settings(settings), m_project(project) {}

    CommandLineResult Run() {
        for (m_index = 0; m_index < m_arguments.size() && m_result.error.empty(); ++m_index) {
            std::string name = OptionName(m_arguments[m_index]);
            if (name.empty()) {
                // Before any input a bare argument is the desktop's input
                // field and is left alone here.
                if (!m_project.InputArgument.empty()) TakeFurtherInput();
            } else if (const RunOptionRow* row = FindRunOption(name)) {
                ApplyRunOption(*row, name);
            } else if (const LongOption* option = FindCommandLineOption(name)) {
                ApplyLong(*option);
            } else if (!IsModeOption(name)) {
                m_result.error = kUnknownOption + PrintablePath(NameAsTyped(m_arguments[m_index]));
            }
        }
        return m_result;
    }

  private:
    // Path and short text values: the next argument after a one-dash name,
    // the part after "=" of a "--" argument. Refused when empty or when it
    // looks like the next option.
    bool TakePathValue(const std::string& name, bool join, std::string& value) {
        if (!StartsWith(name, "--")) ++m_index;
        value = OptionValue(m_arguments, m_index);
        if (value.empty() || value.front() == '-') return Refuse();
        if (join) value = JoinQuoted(std::move(value), m_arguments, m_index);
        value = std::string(StripQuotes(value));
        return true;
    }

    // Long values come only after "=" of the same argument; a negative
    // number is a value, another "--" option is not.
    bool TakeLongValue(bool join, std::string& value) {
        value = OptionValue(m_arguments, m_index);
        if (value.empty() || StartsWith(value, "--")) return Refuse();
        if (join) {
            value = JoinQuoted(std::move(value), m_arguments, m_index);
            value = std::string(StripQuotes(value));
        }
        return true;
    }

    // A bare argument after the first input is one more, taken as if it
    // had its own "-i".
    void TakeFurtherInput() {
        std::string value = OptionValue(m_arguments, m_index);
        if (value.empty()) {
            Refuse();
            return;
        }
        value = std::string(StripQuotes(JoinQuoted(std::move(value), m_arguments, m_index)));
        m_project.MoreInputArguments.push_back(value);
    }

    // The option as the user wrote it: trimmed, without the value after "=".
    static std::string NameAsTyped(std::string_view argument) {
        std::string_view trimmed = Trim(argument, kSpacesAndTabs);
        if (StartsWith(trimmed, "--")) trimmed = trimmed.substr(0, trimmed.find('='));
        return std::string(trimmed);
    }

    bool Refuse() {
        m_result.error = kIncorrectParameters;
        return false;
    }

    void ApplyRunOption(const RunOptionRow& row, const std::string& name) {
        std::string value;
        switch (row.option) {
            case RunOption::Input:
                // The job counts as a command-line job even when its value
                // is then refused.
                m_project.CommandLineInput = 1;
                // Each further "-i" adds an input; the first stays the run's own.
                if (TakePathValue(name, true, value)) {
                    if (m_project.InputArgument.empty())
                        m_project.InputArgument = value;
                    else
                        m_project.MoreInputArguments.push_back(value);
                }
                break;
            case RunOption::Output:
                if (TakePathValue(name, true, value)) m_project.OutputFolder = value;
                break;
            case RunOption::Conversion:
                if (TakePathValue(name, false, value)) m_project.OutputExtension = value;
                break;
            case RunOption::Profile:
                if (TakeLongValue(true, value)) ApplyProfile(value);
                break;
            case RunOption::Debug:
                m_project.RunMode = "DEBUG";
                break;
            case RunOption::Quiet:
                m_result.quiet = true;
                break;
            case RunOption::Pause:
                m_result.pause = true;
                break;
            case RunOption::Jobs:
                // A count of files at once: a positive number; more than 256
                // are taken as 256.
                if (TakeLongValue(false, value)) {
                    const int32_t jobs = ParseNumberValue(value);
                    if (jobs < 1 || value.find_first_not_of("0123456789 \t") != std::string::npos)
                        m_result.error = "Invalid value for " +
                                         PrintablePath(NameAsTyped(m_arguments[m_index])) + ": " +
                                         PrintablePath(value) +
                                         " (accepted: a whole number, 1 or more)";
                    else
                        m_project.FilesAtOnce = std::min(jobs, 256);
                }
                break;
            case RunOption::Shard:
                if (TakeLongValue(false, value)) {
                    if (const std::optional<Shard> shard = ParseShard(value)) {
                        m_project.ShardIndex = shard->index;
                        m_project.ShardCount = shard->count;
                    } else {
                        RefuseValue(value, "K/N, whole numbers with 1 <= K <= N");
                    }
                }
                break;
            case RunOption::SkipExisting:
                m_project.SkipExisting = 1;
                break;
            case RunOption::Report:
                if (TakeLongValue(true, value)) m_project.ReportFile = value;
                break;
            case RunOption::MeasureSequence:
                if (TakeLongValue(true, value)) m_project.MeasureSequenceFile = value;
                break;
            case RunOption::SequenceStatistics:
                if (TakeLongValue(true, value)) m_project.SequenceStatisticsFile = value;
                break;
            case RunOption::SequenceWindow:
                if (TakeLongValue(false, value)) {
                    const int32_t window = ParseNumberValue(value);
                    if (window < 1 || value.find_first_not_of("0123456789 \t") != std::string::npos)
                        RefuseValue(value, "a whole number, 1 or more");
                    else
                        m_project.SequenceWindow = window;
                }
                break;
        }
    }

    void RefuseValue(const std::string& value, const char* accepted) {
        m_result.error = "Invalid value for " + PrintablePath(NameAsTyped(m_arguments[m_index])) +
                         ": " + PrintablePath(value) + " (accepted: " + accepted + ")";
    }

    void ApplyProfile(const std::string& path) {
        ProfileFindings findings;
        if (!ReadProfile(path, m_settings, &findings)) {
            m_result.error = kInvalidProfileFile;
            return;
        }
        for (const std::string& key : findings.unknownKeys)
            m_result.warnings.push_back("Warning: " + PrintablePath(path) + ": unknown option " +
                                        PrintablePath(key));
        if (!findings.refusal.empty()) m_result.error = findings.refusal;
    }

    void ApplyLong(const LongOption& option) {
        const std::string typed = NameAsTyped(m_arguments[m_index]);
        std::string value;
        if (option.kind != OptionKind::Flag &&
            !TakeLongValue(option.kind == OptionKind::Text, value)) {
            return;
        }
        if (!IsReadableValue(option, value)) {
            m_result.error = InvalidValueMessage(typed, value, option);
            return;
        }
        ApplyLongOption(option, value, m_settings);
    }

    const std::vector<std::string>& m_arguments;
    ConversionSettings& m_settings;
    ProjectState& m_project;
    CommandLineResult m_result;
    size_t m_index = 0;
};

}  // namespace

std::string OptionName(std::string_view argument) {
    std::string_view trimmed = Trim(argument, kSpacesAndTabs);
    std::string_view name;
    if (StartsWith(trimmed, "--"))
        name = trimmed.substr(0, trimmed.find('='));
    else if (StartsWith(trimmed, "-"))
        name = trimmed;
    return ToUpperUtf8(name);
}

std::string OptionValue(const std::vector<std::string>& arguments, size_t index) {
    if (index >= arguments.size()) return {};
    std::string_view trimmed = Trim(arguments[index], kSpacesAndTabs);
    if (StartsWith(trimmed, "--")) {
        size_t equals = trimmed.find('=', 2);
        if (equals != std::string_view::npos) return std::string(trimmed.substr(equals + 1));
    }
    return std::string(trimmed);
}

CommandLineResult ReadCommandLine(const std::vector<std::string>& arguments,
                                  ConversionSettings& settings, ProjectState& project) {
    return ArgumentLoop(arguments, settings, project).Run();
}

}  // namespace orvex

// The lines of the JSON report and the file they go to.
#include "run/run_report_json.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "run/json_names.h"

namespace orvex {

std::string FileReportLine(const FileResult& result, int64_t bytesWritten) {
    nlohmann::ordered_json object;
    object["type"] = "file";
    PutName(object, "input", result.inputPath);
    const char* status = result.converted ? "converted" : result.skipped ? "skipped" : "failed";
    if (result.converted || result.skipped) PutName(object, "output", result.outputPath);
    object["status"] = status;
    if (!result.converted && !result.skipped)
        object["cause"] = result.reason.empty() ? std::string("not converted") : result.reason;
    if (!result.skipped) {
        object["width_in"] = result.inputWidth;
        object["height_in"] = result.inputHeight;
        object["width_out"] = result.outputWidth;
        object["height_out"] = result.outputHeight;
    }
    object["bytes"] = bytesWritten;
    object["seconds"] = static_cast<double>(result.millis) / 1000.0;
    return JsonLine(object);
}

std::string SummaryReportLine(const RunTally& tally) {
    nlohmann::ordered_json object;
    object["type"] = "summary";
    object["files"] = tally.files;
    object["converted"] = tally.converted;
    object["skipped"] = tally.skipped;
    object["failed"] = tally.failed;
    object["seconds"] = tally.seconds;
    return JsonLine(object);
}

JsonLinesFile::~JsonLinesFile() {
    if (m_fd >= 0) ::close(m_fd);
}

bool JsonLinesFile::Open(const std::string& path) {
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return m_fd >= 0;
}

void JsonLinesFile::Write(const std::string& line) {
    if (m_fd < 0 || m_error != 0) return;
    std::string bytes = line + '\n';
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            m_error = wrote < 0 ? errno : EIO;
            return;
        }
        done += static_cast<size_t>(wrote);
    }
}

}  // namespace orvex

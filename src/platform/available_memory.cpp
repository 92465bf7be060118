// Reading the memory this process can still use from /proc and the control
// group files.
#include "platform/available_memory.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

namespace orvex {
namespace {

constexpr uint64_t kUnknown = std::numeric_limits<uint64_t>::max();
// Limits at or above this mean "no limit" (v1 writes a page-rounded 2^63).
constexpr uint64_t kNoLimit = uint64_t{1} << 60;

std::optional<std::string> ReadSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(4096, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

std::optional<uint64_t> ParseNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end == text.data()) return std::nullopt;
    return value;
}

std::optional<uint64_t> ReadNumberFile(const std::string& path) {
    const auto text = ReadSmallFile(path);
    if (!text) return std::nullopt;
    return ParseNumber(*text);
}

// MemAvailable from meminfo, in bytes.
uint64_t MemAvailable(const std::string& root) {
    std::ifstream in(root + "/proc/meminfo");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("MemAvailable:", 0) != 0) continue;
        const auto kib = ParseNumber(std::string_view(line).substr(13));
        if (kib && *kib < kUnknown / 1024) return *kib * 1024;
    }
    return kUnknown;
}

// The group folder and each folder above it, up to and including the mount
// root (a container often sees its own group as the root).
std::vector<std::string> GroupFolders(const std::string& mount, std::string group) {
    std::vector<std::string> folders;
    while (!group.empty() && group != "/") {
        if (group.find("/..") == std::string::npos) folders.push_back(mount + group);
        const size_t slash = group.rfind('/');
        group = slash == std::string::npos ? "" : group.substr(0, slash);
    }
    folders.push_back(mount);
    return folders;
}

// Room left under a limit file, less the usage file beside it.
uint64_t RoomUnder(const std::string& folder, const char* limitFile, const char* usageFile) {
    const auto limitText = ReadSmallFile(folder + "/" + limitFile);
    if (!limitText) return kUnknown;
    const auto limit = ParseNumber(*limitText);  // v2 writes "max" when there is none
    if (!limit || *limit >= kNoLimit) return kUnknown;
    const uint64_t used = ReadNumberFile(folder + "/" + usageFile).value_or(0);
    return used >= *limit ? 0 : *limit - used;
}

uint64_t ControlGroupRoom(const std::string& root) {
    uint64_t room = kUnknown;
    const auto groups = ReadSmallFile(root + "/proc/self/cgroup");
    std::istringstream lines(groups.value_or(""));
    std::string line;
    bool sawV2 = false;
    bool sawV1 = false;
    // Lines read "id:controllers:path"; v2 has id 0 and no controllers.
    while (std::getline(lines, line)) {
        const size_t first = line.find(':');
        const size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos) continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const std::string path = line.substr(second + 1);
        if (controllers.empty()) {
            sawV2 = true;
            for (const auto& folder : GroupFolders(root + "/sys/fs/cgroup", path)) {
                room = std::min(room, RoomUnder(folder, "memory.max", "memory.current"));
            }
            continue;
        }
        std::istringstream names(controllers);
        std::string name;
        while (std::getline(names, name, ',')) {
            if (name != "memory") continue;
            sawV1 = true;
            for (const auto& folder : GroupFolders(root + "/sys/fs/cgroup/memory", path)) {
                room = std::min(
                    room, RoomUnder(folder, "memory.limit_in_bytes", "memory.usage_in_bytes"));
            }
        }
    }
    // Without a readable group list, the mount roots still tell a
    // container's own limit.
    if (!sawV2 && !sawV1) {
        room = std::min(room, RoomUnder(root + "/sys/fs/cgroup", "memory.max", "memory.current"));
        room = std::min(room, RoomUnder(root + "/sys/fs/cgroup/memory", "memory.limit_in_bytes",
                                        "memory.usage_in_bytes"));
    }
    return room;
}

uint64_t PhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return kUnknown;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

}  // namespace

uint64_t AvailableMemoryBytes(const std::string& root) {
    uint64_t available = MemAvailable(root);
    if (available == kUnknown && root.empty()) available = PhysicalMemory();
    available = std::min(available, ControlGroupRoom(root));
    return available == kUnknown ? 0 : available;
}

}  // namespace orvex

// How much memory this process can still take: the kernel's estimate of
// available memory, capped by the memory limit of the process's control group.
#pragma once

#include <cstdint>
#include <string>

namespace orvex {

// The smaller of MemAvailable (/proc/meminfo) and the room left under the
// control group's memory limit (cgroup v2 memory.max, v1
// memory.limit_in_bytes, less what the group already uses), over the group
// and every group above it. Falls back to the physical memory when the
// kernel reports neither; 0 when nothing can be told. `root` prefixes every
// path read, so tests can give a folder holding proc/ and sys/fs/cgroup/.
uint64_t AvailableMemoryBytes(const std::string& root = "");

}  // namespace orvex

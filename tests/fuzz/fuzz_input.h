// Helpers shared by the fuzz targets: the bytes of one run as a file the
// readers can open by path, without touching the disk.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvex::fuzz {

// An anonymous in-memory file holding the given bytes; Path() names it.
class MemoryFile {
  public:
    MemoryFile(const uint8_t* data, size_t size) {
        m_fd = memfd_create("orvex-fuzz", MFD_CLOEXEC);
        if (m_fd < 0) return;
        size_t done = 0;
        while (done < size) {
            const ssize_t n = write(m_fd, data + done, size - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        lseek(m_fd, 0, SEEK_SET);
    }
    ~MemoryFile() {
        if (m_fd >= 0) close(m_fd);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool Ok() const { return m_fd >= 0; }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(m_fd); }

  private:
    int m_fd = -1;
};

}  // namespace orvex::fuzz

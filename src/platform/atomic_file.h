// Replacing a whole file so that readers see either the old or the new
// contents, never a truncated mix.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace orvex {

class RemoveOnSignal;

// A new file for `target` that appears there, whole, only when committed.
// Where the filesystem allows, it is an unnamed file in the target's folder
// (O_TMPFILE) that nothing can see or leave behind; otherwise a hidden
// temporary file beside the target, removed when the object goes without a
// commit and when a handled signal ends the process. Either way it is
// created readable by its owner only, and gets its final permissions just
// before it is put in place.
class PendingFile {
  public:
    PendingFile();
    ~PendingFile();  // discards the file unless it was committed
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // False with errno set when no file can be made in the target's folder.
    // allowUnnamed false takes the named way even where an unnamed file
    // could be made.
    bool Open(const std::string& target, bool allowUnnamed = true);
    int Fd() const { return m_fd; }
    // Whether the file has a name (the fallback) rather than none.
    bool IsNamed() const { return !m_tempPath.empty(); }

    // Gives the file `mode`, flushes it to disk and puts it in place of the
    // target (replacing a file there), then syncs the folder. False with
    // errno set on failure; the file is then discarded and the old target
    // left as it was.
    bool Commit(mode_t mode);

  private:
    void Discard();

    std::string m_target;
    std::string m_tempPath;  // empty for an unnamed file
    int m_fd = -1;
    std::unique_ptr<RemoveOnSignal> m_removeOnSignal;
};

// The permission bits a new file gets by default: 0666 less the umask.
mode_t DefaultFileMode();

// Flushes a file that is being written in parts to the disk on a thread of
// its own, each time a few more megabytes were written, so that the flush
// before the file is put in place waits only for its last part instead of
// the whole file. The writer goes on meanwhile. A flush that fails is
// reported by Finish: the file's own flush later would not see that error
// again, since both go through one open file.
class BackgroundSync {
  public:
    explicit BackgroundSync(int fd, size_t stepBytes = size_t{4} << 20);
    ~BackgroundSync();  // waits for a flush under way
    BackgroundSync(const BackgroundSync&) = delete;
    BackgroundSync& operator=(const BackgroundSync&) = delete;

    // `bytes` more have reached the kernel (written, not only buffered).
    void Written(size_t bytes);
    // Waits for the flushes asked for; 0, or the errno of a failed one.
    int Finish();

  private:
    void Run();

    struct State;
    std::unique_ptr<State> m_state;
};

// Writes `contents` to a pending file for `path` and commits it. When
// `path` is a symbolic link, the file it points to is replaced and the link
// kept. An existing file's permission bits carry over to the new one. On
// any failure the old file is left untouched, nothing is left behind and
// false is returned.
bool WriteFileAtomically(const std::string& path, std::string_view contents);

}  // namespace orvex

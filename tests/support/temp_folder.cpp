// Temporary test folders and whole-file reads and writes.
#include "support/temp_folder.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace orvex::test_support {
namespace {

namespace fs = std::filesystem;

// Gives the owner full rights on `folder` and every folder below it, so that
// a folder a test left read-only does not keep its contents from removal.
// Symbolic links are not followed.
void MakeRemovable(const fs::path& folder) {
    std::error_code error;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error)) MakeRemovable(it->path());
    }
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

ScopedTempFolder::ScopedTempFolder(std::string_view tag) {
    static std::atomic<int> counter{0};
    const fs::path folder =
        fs::temp_directory_path() / ("orvex-" + std::string(tag) + "-" + std::to_string(getpid()) +
                                     "-" + std::to_string(counter.fetch_add(1)));
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directories(folder, error);
    m_path = folder.string() + "/";
}

ScopedTempFolder::~ScopedTempFolder() {
    MakeRemovable(m_path);
    std::error_code error;
    fs::remove_all(m_path, error);
}

}  // namespace orvex::test_support

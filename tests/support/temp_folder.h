// Test helpers for files: a temporary folder that removes itself, and whole
// files read and written as bytes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orvex::test_support {

// The whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// Creates or truncates the file and writes `bytes` exactly.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// A fresh folder under the system temporary folder, named after `tag`, the
// process and a counter, and removed with everything in it when the object
// goes (folders a test made read-only included).
class ScopedTempFolder {
  public:
    explicit ScopedTempFolder(std::string_view tag = "test");
    ~ScopedTempFolder();
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    const std::string& Path() const { return m_path; }  // ends with "/"
    std::string File(std::string_view name) const { return m_path + std::string(name); }
    // Writes `bytes` to the file `name` in the folder and gives its path.
    std::string WriteFile(std::string_view name, const std::string& bytes) const {
        const std::string path = File(name);
        WriteFileBytes(path, bytes);
        return path;
    }
    // The same folder without the closing "/", for building paths with "/".
    std::filesystem::path Folder() const { return std::filesystem::path(m_path).parent_path(); }

  private:
    std::string m_path;
};

}  // namespace orvex::test_support

// Executable location through /proc/self/exe.
#include "platform/executable_folder.h"

#include <unistd.h>

#include <climits>
#include <vector>

namespace orvex {

std::string ExecutableFolder() {
    std::vector<char> buffer(PATH_MAX + 1, '\0');
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    std::string path;
    if (length > 0) {
        path.assign(buffer.data(), static_cast<size_t>(length));
        path.erase(path.rfind('/') + 1);
    } else if (getcwd(buffer.data(), buffer.size() - 1) != nullptr) {
        path = buffer.data();
        if (path.empty() || path.back() != '/') path += '/';
    } else {
        path = "./";
    }
    return path;
}

std::string ExecutableName(const char* argv0) {
    std::string name;
    std::vector<char> buffer(PATH_MAX + 1, '\0');
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length > 0) name.assign(buffer.data(), static_cast<size_t>(length));
    else if (argv0 != nullptr) name = argv0;
    if (auto slash = name.rfind('/'); slash != std::string::npos) name.erase(0, slash + 1);
    if (auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.erase(dot);
    return name.empty() ? "orvex" : name;
}

}  // namespace orvex

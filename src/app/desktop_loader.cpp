// The desktop module is opened with every symbol bound at once (RTLD_NOW),
// so a module that does not fit this program fails here with the loader's
// own message instead of in the middle of the desktop. It is never closed:
// Qt keeps threads and handlers of its own until the process ends.
#include "app/desktop_loader.h"

#include <dlfcn.h>
#include <unistd.h>

namespace orvex {

std::vector<std::string> DesktopModuleCandidates(const std::string& appFolder) {
    return {appFolder + ORVEX_DESKTOP_MODULE_NAME,
            appFolder + ORVEX_DESKTOP_MODULE_FOLDER + ORVEX_DESKTOP_MODULE_NAME};
}

LoadedDesktop LoadDesktopModule(const std::string& appFolder, const std::string& programName) {
    LoadedDesktop loaded;
    for (const std::string& path : DesktopModuleCandidates(appFolder)) {
        if (::access(path.c_str(), F_OK) != 0) continue;
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* reason = ::dlerror();
            loaded.problem = programName + ": cannot load the desktop interface: " +
                             (reason != nullptr ? reason : path);
            return loaded;
        }
        void* symbol = ::dlsym(module, kDesktopEntrySymbol);
        if (symbol == nullptr) {
            loaded.problem = programName + ": cannot load the desktop interface: " + path +
                             " does not belong to this version of " + programName;
            return loaded;
        }
        loaded.entry = reinterpret_cast<DesktopEntry>(symbol);
        return loaded;
    }
    loaded.problem = programName +
                     ": the desktop interface is not installed; install the package "
                     "orvex-desktop for it (sudo apt install orvex-desktop), or run " +
                     programName + " -h for the console usage.";
    return loaded;
}

}  // namespace orvex

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "host/harness_coverage.h"
#include "host/host_platform.h"
#include "platform/platform.h"

CORVANE_HARNESS_BEGIN

void* HostLoadModule(const std::string& path, std::string* error) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr && error != nullptr) {
        const char* reason = dlerror();
        *error = reason != nullptr ? reason : "dlopen failed";
    }
    return module;
}

void* HostModuleSymbol(void* module, const char* name) { return dlsym(module, name); }

void HostUnloadModule(void* module) {
    if (module != nullptr) {
        dlclose(module);
    }
}

void* HostCreateParentWindow() {
    // The host's main window: a rectangle on the portable screen.
    return new WindowRect{100, 80, 900, 680};
}

void HostDestroyParentWindow(void* window) { delete static_cast<WindowRect*>(window); }

std::FILE* HostOpenFile(const TextPair& path, const char* mode) {
    char narrow[kTextPairUnits + 1] = {};
    for (int i = 0; i < kTextPairUnits && path.narrow[i] != 0; ++i) {
        narrow[i] = path.narrow[i];
    }
    return std::fopen(narrow, mode);
}

std::FILE* HostOpenPath(const std::string& utf8Path, const char* mode) { return std::fopen(utf8Path.c_str(), mode); }

std::string HostProgramDirectory() {
    char buffer[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    std::string path = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string("./x");
    return path.substr(0, path.find_last_of('/') + 1);
}

CORVANE_HARNESS_END

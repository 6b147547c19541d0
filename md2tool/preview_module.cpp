#include "md2tool/preview_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace {

std::string ProgramDirectory() {
    char buffer[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    const std::string path = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string("./x");
    return path.substr(0, path.find_last_of('/') + 1);
}

// Loaded once and kept for the rest of the run.
RenderContactSheetEntry ModuleEntry(std::string* error) {
    static RenderContactSheetEntry entry = nullptr;
    if (entry == nullptr) {
        const std::string path = ProgramDirectory() + kPreviewModuleFile;
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* reason = dlerror();
            *error = "the preview renderer cannot be loaded: " + std::string(reason != nullptr ? reason : path);
            return nullptr;
        }
        entry = reinterpret_cast<RenderContactSheetEntry>(dlsym(module, kPreviewModuleEntry));
        if (entry == nullptr) {
            *error = path + " has no " + kPreviewModuleEntry;
            dlclose(module);
        }
    }
    return entry;
}

}  // namespace

bool RenderContactSheetInModule(const PreviewGeometry& geometry, const RgbaImage& skin, const PreviewLayout& layout,
                                RgbaImage* sheet, std::string* error) {
    const RenderContactSheetEntry entry = ModuleEntry(error);
    return entry != nullptr && entry(geometry, skin, layout, sheet, error);
}

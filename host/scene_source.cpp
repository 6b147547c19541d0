#include "host/scene_source.h"

#include "host/scene_file.h"

#ifdef CORVANE_HAVE_ASSIMP
#include "host/assimp_module.h"
#include "host/host_platform.h"
#endif

#ifdef CORVANE_HAVE_ASSIMP
namespace {

// The converter module beside the program, loaded on first use and kept for
// the rest of the run; null, with the reason, when it cannot be loaded.
BuildAssimpSceneEntry ConverterEntry(std::string* why) {
    static BuildAssimpSceneEntry entry = nullptr;
    if (entry == nullptr) {
        const std::string path = HostProgramDirectory() + kAssimpModuleFile;
        void* module = HostLoadModule(path, why);
        if (module == nullptr) {
            return nullptr;
        }
        entry = reinterpret_cast<BuildAssimpSceneEntry>(HostModuleSymbol(module, kAssimpModuleEntry));
        if (entry == nullptr) {
            *why = path + " has no " + kAssimpModuleEntry;
            HostUnloadModule(module);
        }
    }
    return entry;
}

}  // namespace
#endif

bool CanConvertModelFiles() {
#ifdef CORVANE_HAVE_ASSIMP
    return true;
#else
    return false;
#endif
}

bool LoadSceneSource(const std::string& path, const SceneSourceOptions& options, SceneDesc* desc, std::string* why) {
    if (IsSceneFilePath(path)) {
        std::string reason;
        if (!ReadSceneFile(path, desc, &reason)) {
            *why = path + ": " + reason;
            return false;
        }
        if (desc->groups.empty() || desc->vertices.empty()) {
            *why = path + ": the scene holds no mesh";
            return false;
        }
        for (SceneAnimation& animation : desc->animations) {
            ApplyFrameCount(options.frameCounts, &animation);
        }
        return true;
    }
#ifdef CORVANE_HAVE_ASSIMP
    AssimpSceneOptions converter;
    converter.fps = options.fps;
    converter.scale = options.scale;
    converter.textureFolder = options.textureFolder;
    converter.frameCounts = options.frameCounts;
    std::string reason;
    BuildAssimpSceneEntry convert = ConverterEntry(&reason);
    if (convert == nullptr) {
        *why = path + ": the model-file converter could not be loaded: " + reason;
        return false;
    }
    return convert(&path, &converter, desc, why);
#else
    (void)options;
    *why = path + ": this build reads MD2 and scene files (.json) only; convert other formats with the Linux host "
                  "and --save-scene";
    return false;
#endif
}

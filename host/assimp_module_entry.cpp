// The converter module's one exported function (see assimp_module.h).
#include "host/assimp_module.h"

#include <type_traits>

extern "C" __attribute__((visibility("default"))) bool CorvaneBuildAssimpScene(const std::string* path,
                                                                              const AssimpSceneOptions* options,
                                                                              SceneDesc* desc, std::string* why) {
    return BuildAssimpScene(*path, *options, desc, why);
}

// The entry must keep the type the host calls it through.
static_assert(std::is_same_v<decltype(&CorvaneBuildAssimpScene), BuildAssimpSceneEntry>);

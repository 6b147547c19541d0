// The library's only two exported functions.
#include <cstdint>

#include "plugin/plugin_entry.h"

extern "C" CORVANE_EXPORT int PluginVersion() { return kPluginVersionNumber; }

extern "C" CORVANE_EXPORT int PluginProc(std::uint32_t message, HostRegistration* registration,
                                         void* instance) {
    return HandlePluginProc(message, registration, instance);
}

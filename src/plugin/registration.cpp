// Registration with the host and the version query.
#include "host_api/host_ops.h"
#include "plugin/plugin_entry.h"
#include "plugin/plugin_state.h"
#include "util/text.h"

namespace {

int Register(HostRegistration* registration, void* instance) {
    if (registration == nullptr || instance == nullptr) {
        return 0;
    }
    SetRegistrationInstance(instance);
    for (int i = 0; i < 4; ++i) {
        registration->identifier[i] = kPluginIdentifier[i];
    }
    registration->fixedWords[0] = kRegistrationFixedWords[0];
    registration->fixedWords[1] = kRegistrationFixedWords[1];
    registration->callback = reinterpret_cast<void*>(&PluginCallback);
    TextPairFromWide(&registration->description, kPluginDescription);
    TextPairFromWide(&registration->version, kPluginVersionText);
    TextPairFromWide(&registration->fileFilter, kPluginFileFilter);

    TextPair extension;
    TextPairFromWide(&extension, kPluginExtension);
    return AddExtension(registration, &extension) != 0 ? 1 : 0;
}

}  // namespace

int HandlePluginProc(std::uint32_t message, HostRegistration* registration, void* instance) {
    switch (message) {
        case kMessageRegister:
            return Register(registration, instance);
        case kMessageVersionQuery:
            return kPluginVersionNumber;
        default:
            return 1;
    }
}

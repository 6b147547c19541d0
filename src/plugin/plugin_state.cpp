#include "plugin/plugin_state.h"

namespace {

void* registrationInstance = nullptr;
HostScene* currentScene = nullptr;

}  // namespace

void* RegistrationInstance() { return registrationInstance; }
void SetRegistrationInstance(void* instance) { registrationInstance = instance; }

HostScene* CurrentScene() { return currentScene; }
void SetCurrentScene(HostScene* scene) { currentScene = scene; }

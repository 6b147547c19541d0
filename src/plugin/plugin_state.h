// The dispatch state kept for the life of the loaded library.
#pragma once

#include "plugin/host_records.h"

// The module instance handle given with the register message; null until
// registration stores it, never cleared.
void* RegistrationInstance();
void SetRegistrationInstance(void* instance);

// The scene of the most recent routed request; null until the first one.
HostScene* CurrentScene();
void SetCurrentScene(HostScene* scene);

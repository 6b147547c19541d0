// A plug-in loaded by the reference host: the module, its exported entry
// points, its registration and the request function it registered.
#pragma once

#include <cstdint>
#include <string>

#include "host/ref_registration.h"
#include "host_api/host_requests.h"
#include "host/ref_scene.h"

using PluginProcFunction = int (*)(std::uint32_t, HostRegistration*, void*);
using PluginVersionFunction = int (*)();
using PluginCallbackFunction = int (*)(std::uint32_t, HostScene*, void*, std::intptr_t);

struct HostSession {
    void* module;
    PluginProcFunction proc;
    PluginVersionFunction version;
    int versionAnswer;   // PluginVersion()
    int registerAnswer;  // PluginProc(register)
    RefRegistration registration;
};

// The plug-in next to the running program (corvane_64.dlx).
std::string DefaultPluginPath();

// Loads the plug-in, asks its version and registers it with the module
// handle as its instance. False, with a reason, when any step fails.
bool OpenSession(const std::string& pluginPath, HostSession* session, std::string* error);
void CloseSession(HostSession* session);

// Sends a request through the callback the plug-in registered, with the
// module handle as the instance.
int SendRequest(HostSession* session, std::uint32_t request, RefScene* scene);
PluginCallbackFunction RegisteredCallback(const HostSession* session);

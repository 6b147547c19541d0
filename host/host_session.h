// A plug-in loaded by the reference host: the module, its exported entry
// points, its registration and the request function it registered.
#pragma once

#include <cstdint>
#include <string>

#include "host/ref_registration.h"
#include "host/ref_scene.h"

using PluginProcFunction = int (*)(std::uint32_t, HostRegistration*, void*);
using PluginVersionFunction = int (*)();
using PluginCallbackFunction = int (*)(std::uint32_t, HostScene*, void*, std::intptr_t);

inline constexpr std::uint32_t kHostRegister = 0x10015;
inline constexpr std::uint32_t kHostVersionQuery = 0x10016;
inline constexpr std::uint32_t kHostRead = 0x10017;
inline constexpr std::uint32_t kHostWrite = 0x10018;
inline constexpr std::uint32_t kHostImportOptions = 0x1001E;
inline constexpr std::uint32_t kHostExportOptions = 0x1001F;

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

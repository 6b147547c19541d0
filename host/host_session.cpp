#include "host/host_session.h"

#include "host/host_platform.h"

std::string DefaultPluginPath() { return HostProgramDirectory() + "corvane_64.dlx"; }

bool OpenSession(const std::string& pluginPath, HostSession* session, std::string* error) {
    *session = HostSession{};
    RefRegistrationInit(&session->registration);
    session->module = HostLoadModule(pluginPath, error);
    if (session->module == nullptr) {
        return false;
    }
    session->proc = reinterpret_cast<PluginProcFunction>(HostModuleSymbol(session->module, "PluginProc"));
    session->version = reinterpret_cast<PluginVersionFunction>(HostModuleSymbol(session->module, "PluginVersion"));
    if (session->proc == nullptr || session->version == nullptr) {
        *error = "the library does not export PluginProc and PluginVersion";
        CloseSession(session);
        return false;
    }
    session->versionAnswer = session->version();
    session->registerAnswer = session->proc(kMessageRegister, &session->registration.record, session->module);
    if (session->registerAnswer == 0 || RegisteredCallback(session) == nullptr) {
        *error = "the plug-in refused registration";
        CloseSession(session);
        return false;
    }
    return true;
}

void CloseSession(HostSession* session) {
    HostUnloadModule(session->module);
    session->module = nullptr;
    session->proc = nullptr;
    session->version = nullptr;
}

PluginCallbackFunction RegisteredCallback(const HostSession* session) {
    return reinterpret_cast<PluginCallbackFunction>(session->registration.record.callback);
}

int SendRequest(HostSession* session, std::uint32_t request, RefScene* scene) {
    PluginCallbackFunction callback = RegisteredCallback(session);
    if (callback == nullptr) {
        return 0;
    }
    return callback(request, scene != nullptr ? RefSceneHost(scene) : nullptr, session->module, 0);
}

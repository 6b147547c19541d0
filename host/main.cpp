// corvane-host: the reference host as a command-line program. It loads a
// plug-in binary the way the modelling host does and drives it.
#include <cstdio>
#include <string>
#include <vector>

#include "host/host_session.h"
#include "host/registration_check.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: corvane-host info [PLUGIN]\n"
                 "  info   load the plug-in (default: corvane_64.dlx next to this program),\n"
                 "         register it and print what it registers\n");
    return 2;
}

int Info(const std::string& pluginPath) {
    HostSession session;
    std::string error;
    std::printf("plugin: %s\n", pluginPath.c_str());
    if (!OpenSession(pluginPath, &session, &error)) {
        std::printf("load failed: %s\n", error.c_str());
        return 1;
    }
    const HostRegistration& record = session.registration.record;
    std::printf("PluginVersion: %d\n", session.versionAnswer);
    std::printf("version query: %d\n", session.proc(kHostVersionQuery, nullptr, nullptr));
    std::printf("register: %d\n", session.registerAnswer);
    std::printf("identifier: %08X %08X %08X %08X\n", record.identifier[0], record.identifier[1],
                record.identifier[2], record.identifier[3]);
    std::printf("words: %d %d\n", record.word24, record.word28);
    std::printf("description: \"%s\"\n", PrintableText(record.description).c_str());
    std::printf("version text: \"%s\"\n", PrintableText(record.version).c_str());
    std::printf("file filter: \"%s\"\n", PrintableText(record.fileFilter).c_str());
    std::printf("extension: \"%s\"\n", PrintableText(session.registration.extension).c_str());
    std::vector<std::string> problems = CheckRegistration(session.registration);
    for (const std::string& problem : problems) {
        std::printf("record problem: %s\n", problem.c_str());
    }
    std::printf("record check: %s\n", problems.empty() ? "ok" : "failed");
    CloseSession(&session);
    return problems.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return Usage();
    }
    if (args[0] == "info" && args.size() <= 2) {
        return Info(args.size() == 2 ? args[1] : DefaultPluginPath());
    }
    return Usage();
}

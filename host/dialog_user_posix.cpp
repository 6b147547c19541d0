// On Linux the plug-in's portable dialogs read the script and write the
// transcript themselves; the user only hands them over.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "host/dialog_user.h"

namespace {

std::string TranscriptPath() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/corvane-user-" +
           std::to_string(static_cast<long>(getpid())) + ".txt";
}

}  // namespace

void StartDialogUser(const std::string& script) {
    std::string path = TranscriptPath();
    std::remove(path.c_str());
    // The remark makes every run a new script, even when its steps repeat.
    static int runs = 0;
    std::string numbered = "#run " + std::to_string(++runs) + ";" + script;
    setenv("CORVANE_USER_SCRIPT", numbered.c_str(), 1);
    setenv("CORVANE_USER_TRANSCRIPT", path.c_str(), 1);
}

std::string FinishDialogUser() {
    std::string path = TranscriptPath();
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    file.close();
    std::remove(path.c_str());
    unsetenv("CORVANE_USER_SCRIPT");
    unsetenv("CORVANE_USER_TRANSCRIPT");
    return text.str();
}

void SetDialogScreenshotDirectory(const std::string&) {}

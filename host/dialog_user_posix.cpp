// On Linux the plug-in's portable dialogs read the script and write the
// transcript themselves; the user only hands them over.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "host/dialog_user.h"
#include "platform/user_script.h"

namespace {

std::string TranscriptPath() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/corvane-user-" +
           std::to_string(static_cast<long>(getpid())) + ".txt";
}

}  // namespace

void StartDialogUser(const std::string& script, const std::string&) {
    std::string path = TranscriptPath();
    std::remove(path.c_str());
    // Each run has a number of its own, so that it starts the script anew even
    // when its steps repeat the last run's.
    static int runs = 0;
    setenv(kUserScriptVariable, script.c_str(), 1);
    setenv(kUserRunVariable, std::to_string(++runs).c_str(), 1);
    setenv(kUserTranscriptVariable, path.c_str(), 1);
}

std::string FinishDialogUser() {
    std::string path = TranscriptPath();
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    file.close();
    std::remove(path.c_str());
    unsetenv(kUserScriptVariable);
    unsetenv(kUserRunVariable);
    unsetenv(kUserTranscriptVariable);
    return text.str();
}

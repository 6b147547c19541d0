// Where tests find the plug-in binary and put their files.
#pragma once

#include <string>

// The plug-in built next to the test program (corvane_64.dlx).
std::string TestPluginPath();
// A fresh folder for one test's files, below the system's temporary folder,
// named `name` and the running test (UTF-8 path ending in a separator).
std::string TestTempDir(const std::string& name);
// The folder for screenshots and other artifacts of a test run: $CORVANE_ARTIFACTS,
// else "artifacts" beside the test program (an import changes the current folder).
std::string TestArtifactsDir();
// Writes bytes to a file; false on failure.
bool WriteTestFile(const std::string& path, const std::string& bytes);
// True in the Windows test program.
bool TestOnWindows();

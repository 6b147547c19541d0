// An export as the modelling host runs it: the export-options request with
// its dialog operated by a user, then the write request with the chosen file.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/host_session.h"

// What the user does in the export dialog, in this order: each rename
// (select the animation, Rename, type the name, OK), then the typed settings
// (after the renames, which show the stored settings again), then OK or
// Cancel. Empty texts are left as the dialog shows them.
struct ExportChoices {
    bool setDirectory = false;
    std::string directory;
    std::string width;
    std::string height;
    std::vector<std::pair<int, std::string>> renames;
    bool cancel = false;
};
std::string ExportDialogScript(const ExportChoices& choices);

struct ExportRun {
    int optionsAnswer = 0;
    int writeAnswer = -1;    // -1: not sent (the options were refused or cancelled)
    std::string errorText;   // the scene's error text after the write
    std::string transcript;  // what the dialog user saw
    double writeSeconds = 0; // how long the plug-in took to answer the write request
};

// Sends both requests on `scene`, the write only when the options answered 1;
// on Windows the dialogs are saved as screenshots into `screenshotDirectory`
// unless it is empty.
ExportRun RunExport(HostSession* session, RefScene* scene, const std::string& outPath, const std::string& script,
                    const std::string& screenshotDirectory = std::string());

// What the export dialog showed when it opened and every message box, read
// from a transcript.
std::string DescribeExportDialog(const std::string& transcript);

// The header, skin names and frame names of an MD2 file, read by the host
// itself (every offset checked against the file's length).
std::string DescribeMd2File(const std::string& path);

// A user for the plug-in's dialogs and message boxes, driven by a script
// (steps separated by ';'):
//   select ID INDEX | type ID TEXT | press ID | escape | close | answer N
// It reports everything it saw as a transcript, the same on both platforms:
//   dialog "CAPTION" opens|shows|ends CODE
//     units BX BY                      pixels of 4 x 8 dialog units
//     control ID KIND "TEXT"           KIND: button, static, edit, listbox
//     rect ID LEFT TOP RIGHT BOTTOM    client pixels
//     list ID count N current I
//       item "TEXT"
//   messagebox "TITLE" icon error|information buttons ok|okcancel
//     text "TEXT"
//   messagebox answer N
// On Windows it is a thread that finds the real windows and operates them
// with window messages; on Linux the plug-in's portable dialogs follow the
// script themselves. A dialog left without steps is cancelled.
#pragma once

#include <string>

// Starts a run of the user with `script`. On Windows `screenshotDirectory`
// names where to save a screenshot (BMP) of each dialog and message box as it
// opens; empty for none. Ignored on Linux.
void StartDialogUser(const std::string& script, const std::string& screenshotDirectory = std::string());
// Waits for nothing: call after the request returned. Answers the transcript.
std::string FinishDialogUser();

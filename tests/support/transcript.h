// Reading back what the dialog user saw (see host/dialog_user.h).
#pragma once

#include <string>
#include <vector>

struct SeenControl {
    int id = 0;
    std::string kind;
    std::string text;
    int rect[4] = {0, 0, 0, 0};  // left, top, right, bottom in client pixels
    bool isList = false;
    int current = -1;
    std::vector<std::string> items;
    unsigned style = 0;  // window style bits; recorded for the real dialogs on Windows only
};

struct SeenDialog {
    std::string caption;
    std::string when;  // "opens" or "shows"
    int unitsX = 0;    // pixels of 4 horizontal dialog units
    int unitsY = 0;    // pixels of 8 vertical dialog units
    std::vector<SeenControl> controls;
    unsigned style = 0;  // window style bits; recorded for the real dialogs on Windows only
    const SeenControl* Control(int id) const;
};

struct SeenMessageBox {
    std::string title;
    std::string icon;
    std::string buttons;
    std::string text;
    int answer = 0;
};

struct Transcript {
    std::vector<SeenDialog> dialogs;
    std::vector<SeenMessageBox> messageBoxes;
};

// Quoted fields come back unescaped (\r, \n, \t, \", \\).
Transcript ParseTranscript(const std::string& text);

// One control of a dialog template as laid out in dialog units.
struct TemplateControl {
    int id;
    const char* kind;
    const char* text;
    int x, y, width, height;
};

// Checks that the dialog shows exactly these controls, in this order, with
// these texts and at these positions; answers the differences found.
std::vector<std::string> CompareWithTemplate(const SeenDialog& dialog, const std::vector<TemplateControl>& controls);

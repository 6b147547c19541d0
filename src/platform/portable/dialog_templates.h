// The dialog templates as the portable dialogs build them: the same
// controls, ids, texts and positions (dialog units) as the resource script.
#pragma once

enum PortableControlKind { kControlButton, kControlStatic, kControlEdit, kControlList };

struct PortableControlTemplate {
    int id;
    PortableControlKind kind;
    const char16_t* text;
    int x, y, width, height;
    bool noSelection;  // a list whose items cannot be selected
};

struct PortableDialogTemplate {
    int id;
    const char16_t* caption;
    int width, height;
    const PortableControlTemplate* controls;
    int controlCount;
};

// The template of that id, or null.
const PortableDialogTemplate* FindPortableTemplate(int templateId);

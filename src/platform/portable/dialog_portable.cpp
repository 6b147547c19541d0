// Modal dialogs on Linux: the same templates held in memory and operated by a
// scripted user instead of a person.
//
// The user's script (platform/user_script.h) comes from the environment
// variable CORVANE_USER_SCRIPT; a script that changes in any way, or a new
// run number in CORVANE_USER_RUN, starts anew.
// Escape and the close box both send command 2. A dialog whose script has
// run out is cancelled, so nothing ever waits.
// When CORVANE_USER_TRANSCRIPT names a file, everything the user saw is
// appended to it: each dialog's caption, controls and list items when it
// opens and after every press that leaves it open, and every message box.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/portable/dialog_templates.h"
#include "platform/portable/portable_window.h"
#include "platform/portable/utf8.h"
#include "platform/user_script.h"

namespace {

struct PortableControl {
    const PortableControlTemplate* source;
    std::u16string text;
    std::vector<std::u16string> items;
    int current;
};

struct PortableDialog {
    PortableWindow window;  // first, so a dialog is a window
    const PortableDialogTemplate* source;
    std::vector<PortableControl> controls;
    bool ended;
    int code;
};

// The dialogs open now, innermost last; the innermost has the focus.
std::vector<PortableDialog*> openDialogs;

// --- The script -----------------------------------------------------------------

std::string scriptSeen;
std::string runSeen;
std::size_t nextStep = 0;

// The next step; false when the script has run out. Only that step is
// parsed: a dialog looks at the script after every step it takes.
bool PeekStep(UserStep* step) {
    const char* script = std::getenv(kUserScriptVariable);
    const char* run = std::getenv(kUserRunVariable);
    std::string text = script != nullptr ? script : "";
    std::string number = run != nullptr ? run : "";
    if (text != scriptSeen || number != runSeen) {
        scriptSeen = text;
        runSeen = number;
        nextStep = 0;
    }
    return UserScriptStep(text, nextStep, step);
}

void ConsumeStep() { ++nextStep; }

// --- The transcript -------------------------------------------------------------

std::string Utf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        char bytes[4];
        int units = 1;
        int n = Utf8EncodeOne(text.c_str() + i, bytes, &units);
        if (n < 0) {
            out += '?';
        } else {
            out.append(bytes, static_cast<std::size_t>(n));
        }
        i += static_cast<std::size_t>(units);
    }
    return out;
}

std::u16string Utf16(const std::string& text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        char16_t units[2];
        int count = 0;
        int used = Utf8DecodeOne(text.c_str() + i, text.size() - i, units, &count);
        if (used < 0) {
            out += u'?';
            ++i;
            continue;
        }
        out.append(units, static_cast<std::size_t>(count));
        i += static_cast<std::size_t>(used);
    }
    return out;
}

// A text as a quoted transcript field: control characters escaped.
std::string Quoted(const std::u16string& text) { return QuoteTranscriptField(Utf8(text)); }

// The transcript's file; null when nothing is transcribed.
const char* TranscriptPath() {
    const char* path = std::getenv(kUserTranscriptVariable);
    return path != nullptr && *path != 0 ? path : nullptr;
}

void Transcribe(const std::string& lines) {
    const char* path = TranscriptPath();
    if (path == nullptr) {
        return;
    }
    if (std::FILE* file = std::fopen(path, "ab")) {
        std::fwrite(lines.data(), 1, lines.size(), file);
        std::fclose(file);
    }
}

const char* KindName(PortableControlKind kind) {
    switch (kind) {
        case kControlButton: return "button";
        case kControlStatic: return "static";
        case kControlEdit: return "edit";
        default: return "listbox";
    }
}

// Dialog units to pixels for an 8-point dialog font: 4 horizontal units are
// 6 pixels, 8 vertical units 13, rounded to the nearest pixel.
constexpr int kUnitsX = 6;
constexpr int kUnitsY = 13;
int PixelsX(int units) { return (units * kUnitsX + 2) / 4; }
int PixelsY(int units) { return (units * kUnitsY + 4) / 8; }

// Nothing is built when nothing is transcribed: dialogs open and change often.
void TranscribeDialog(const PortableDialog& dialog, const char* when) {
    if (TranscriptPath() == nullptr) {
        return;
    }
    std::string lines = "dialog " + Quoted(dialog.source->caption) + " " + when + "\n";
    lines += "  units " + std::to_string(kUnitsX) + " " + std::to_string(kUnitsY) + "\n";
    for (const PortableControl& control : dialog.controls) {
        const PortableControlTemplate& t = *control.source;
        lines += "  control " + std::to_string(t.id) + " " + KindName(t.kind) + " " + Quoted(control.text) + "\n";
        // Position and size are mapped each by itself, as Windows does.
        lines += "  rect " + std::to_string(t.id) + " " + std::to_string(PixelsX(t.x)) + " " +
                 std::to_string(PixelsY(t.y)) + " " + std::to_string(PixelsX(t.x) + PixelsX(t.width)) + " " +
                 std::to_string(PixelsY(t.y) + PixelsY(t.height)) + "\n";
        if (control.source->kind == kControlList) {
            lines += "  list " + std::to_string(control.source->id) + " count " +
                     std::to_string(control.items.size()) + " current " + std::to_string(control.current) + "\n";
            for (const std::u16string& item : control.items) {
                lines += "    item " + Quoted(item) + "\n";
            }
        }
    }
    Transcribe(lines);
}

// --- Controls -------------------------------------------------------------------

PortableDialog* D(WindowHandle dialog) { return static_cast<PortableDialog*>(dialog); }

PortableControl* Find(WindowHandle dialog, int controlId) {
    if (dialog == nullptr || controlId == -1) {
        return nullptr;
    }
    for (PortableControl& control : D(dialog)->controls) {
        if (control.source->id == controlId) {
            return &control;
        }
    }
    return nullptr;
}

PortableControl* FindList(WindowHandle dialog, int controlId) {
    PortableControl* control = Find(dialog, controlId);
    return control != nullptr && control->source->kind == kControlList ? control : nullptr;
}


// Carries out one step of the script on the dialog.
void Perform(PortableDialog& dialog, const UserStep& step, DialogProcedure procedure, void* context) {
    int command = 0;
    if (step.verb == UserVerb::Select) {
        PlatformListSelect(&dialog, step.id, step.value);
    } else if (step.verb == UserVerb::Type) {
        if (PortableControl* control = Find(&dialog, step.id)) {
            control->text = Utf16(step.text);
        }
    } else if (step.verb == UserVerb::Press) {
        command = step.id;
    } else if (step.verb == UserVerb::Escape || step.verb == UserVerb::Close) {
        command = kButtonCancel;
    } else {
        Transcribe("  ignored step \"" + step.source + "\"\n");
        return;
    }
    if (command != 0) {
        procedure(&dialog, kDialogCommand, command, context);
        if (!dialog.ended) {
            TranscribeDialog(dialog, "shows");
        }
    }
}

}  // namespace

int PlatformRunDialog(void* instance, int templateId, WindowHandle, DialogProcedure procedure, void* context) {
    const PortableDialogTemplate* source = FindPortableTemplate(templateId);
    if (instance == nullptr || source == nullptr || procedure == nullptr) {
        return -1;
    }
    PortableDialog dialog{};
    dialog.source = source;
    dialog.window.rect = {0, 0, PixelsX(source->width), PixelsY(source->height)};
    dialog.controls.reserve(static_cast<std::size_t>(source->controlCount > 0 ? source->controlCount : 0));
    for (int i = 0; i < source->controlCount; ++i) {
        const PortableControlTemplate& control = source->controls[i];
        dialog.controls.push_back(PortableControl{&control, control.text, {}, -1});
    }
    openDialogs.push_back(&dialog);
    procedure(&dialog, kDialogInit, 0, context);
    TranscribeDialog(dialog, "opens");
    while (!dialog.ended) {
        UserStep step;
        if (!PeekStep(&step)) {
            Transcribe("  script ended: cancel\n");
            procedure(&dialog, kDialogCommand, kButtonCancel, context);
            if (!dialog.ended) {
                PlatformEndDialog(&dialog, kButtonCancel);
            }
            break;
        }
        ConsumeStep();
        Perform(dialog, step, procedure, context);
    }
    openDialogs.pop_back();
    if (TranscriptPath() != nullptr) {
        Transcribe("dialog " + Quoted(source->caption) + " ends " + std::to_string(dialog.code) + "\n");
    }
    return dialog.code;
}

void PlatformEndDialog(WindowHandle dialog, int code) {
    if (dialog != nullptr) {
        D(dialog)->ended = true;
        D(dialog)->code = code;
    }
}

int PlatformHasControl(WindowHandle dialog, int controlId) { return Find(dialog, controlId) != nullptr; }

int PlatformSetControlText(WindowHandle dialog, int controlId, const char16_t* text) {
    PortableControl* control = Find(dialog, controlId);
    if (control == nullptr || text == nullptr) {
        return 0;
    }
    control->text = text;
    return 1;
}

int PlatformGetControlText(WindowHandle dialog, int controlId, char16_t* out, int capacity) {
    PortableControl* control = Find(dialog, controlId);
    if (out == nullptr || capacity <= 0) {
        return 0;
    }
    out[0] = 0;
    if (control == nullptr) {
        return 0;
    }
    std::size_t n = control->text.size() < static_cast<std::size_t>(capacity - 1) ? control->text.size()
                                                                                   : static_cast<std::size_t>(capacity - 1);
    control->text.copy(out, n);
    out[n] = 0;
    return static_cast<int>(n);
}

int PlatformListReset(WindowHandle dialog, int controlId) {
    PortableControl* list = FindList(dialog, controlId);
    if (list == nullptr) {
        return 0;
    }
    list->items.clear();
    list->current = -1;
    return 1;
}

int PlatformListAdd(WindowHandle dialog, int controlId, const char16_t* text) {
    PortableControl* list = FindList(dialog, controlId);
    if (list == nullptr || text == nullptr) {
        return 0;
    }
    list->items.emplace_back(text);
    return 1;
}

int PlatformListCount(WindowHandle dialog, int controlId) {
    PortableControl* list = FindList(dialog, controlId);
    return list != nullptr ? static_cast<int>(list->items.size()) : 0;
}

int PlatformListIsSelected(WindowHandle dialog, int controlId, int index) {
    PortableControl* list = FindList(dialog, controlId);
    return list != nullptr && index >= 0 && index == list->current;
}

int PlatformListCurrent(WindowHandle dialog, int controlId) {
    PortableControl* list = FindList(dialog, controlId);
    return list != nullptr ? list->current : -1;
}

int PlatformListSelect(WindowHandle dialog, int controlId, int index) {
    PortableControl* list = FindList(dialog, controlId);
    if (list == nullptr || list->source->noSelection) {
        return 0;
    }
    if (index < 0 || index >= static_cast<int>(list->items.size())) {
        list->current = -1;
        return index == -1;
    }
    list->current = index;
    return 1;
}

int PlatformMessageBox(WindowHandle, const char16_t* text, const char16_t* title, MessageBoxIcon icon,
                       MessageBoxButtons buttons) {
    int answer = kButtonOk;
    UserStep step;
    if (PeekStep(&step) && step.verb == UserVerb::Answer) {
        ConsumeStep();
        answer = step.value == kButtonCancel ? kButtonCancel : kButtonOk;
    }
    if (buttons == kButtonsOk) {
        answer = kButtonOk;
    }
    if (TranscriptPath() == nullptr) {
        return answer;
    }
    Transcribe("messagebox " + Quoted(title != nullptr ? title : u"") + " icon " +
               (icon == kIconError ? "error" : "information") + " buttons " +
               (buttons == kButtonsOk ? "ok" : "okcancel") + "\n  text " + Quoted(text != nullptr ? text : u"") +
               "\nmessagebox answer " + std::to_string(answer) + "\n");
    return answer;
}

WindowHandle PlatformFocusWindow() { return openDialogs.empty() ? nullptr : openDialogs.back(); }

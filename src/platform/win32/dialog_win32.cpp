// Modal dialogs from the library's own templates, their controls and message
// boxes, through USER32.
#include <windows.h>

#include "platform/platform.h"

namespace {

struct DialogBinding {
    DialogProcedure procedure;
    void* context;
};

HWND H(WindowHandle window) { return static_cast<HWND>(window); }
const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

INT_PTR CALLBACK DialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    }
    auto* binding = reinterpret_cast<DialogBinding*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (binding == nullptr) {
        return FALSE;
    }
    switch (message) {
        case WM_INITDIALOG:
            binding->procedure(dialog, kDialogInit, 0, binding->context);
            return TRUE;  // the system sets the focus
        case WM_COMMAND:
            return binding->procedure(dialog, kDialogCommand, LOWORD(wParam), binding->context) ? TRUE : FALSE;
        default:
            return FALSE;
    }
}

HWND Control(WindowHandle dialog, int controlId) { return GetDlgItem(H(dialog), controlId); }

}  // namespace

int PlatformRunDialog(void* instance, int templateId, WindowHandle owner, DialogProcedure procedure,
                      void* context) {
    DialogBinding binding{procedure, context};
    INT_PTR result = DialogBoxParamW(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEW(templateId), H(owner),
                                     DialogMessage, reinterpret_cast<LPARAM>(&binding));
    return static_cast<int>(result);
}

void PlatformEndDialog(WindowHandle dialog, int code) { EndDialog(H(dialog), code); }

int PlatformHasControl(WindowHandle dialog, int controlId) { return Control(dialog, controlId) != nullptr; }

int PlatformSetControlText(WindowHandle dialog, int controlId, const char16_t* text) {
    return SetDlgItemTextW(H(dialog), controlId, W(text)) ? 1 : 0;
}

int PlatformGetControlText(WindowHandle dialog, int controlId, char16_t* out, int capacity) {
    if (out == nullptr || capacity <= 0) {
        return 0;
    }
    out[0] = 0;
    UINT n = GetDlgItemTextW(H(dialog), controlId, reinterpret_cast<wchar_t*>(out), capacity);
    out[capacity - 1] = 0;
    return static_cast<int>(n);
}

int PlatformListReset(WindowHandle dialog, int controlId) {
    HWND list = Control(dialog, controlId);
    return list != nullptr && SendMessageW(list, LB_RESETCONTENT, 0, 0) != LB_ERR;
}

int PlatformListAdd(WindowHandle dialog, int controlId, const char16_t* text) {
    HWND list = Control(dialog, controlId);
    if (list == nullptr) {
        return 0;
    }
    LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(text)));
    return index != LB_ERR && index != LB_ERRSPACE;
}

int PlatformListCount(WindowHandle dialog, int controlId) {
    HWND list = Control(dialog, controlId);
    LRESULT count = list != nullptr ? SendMessageW(list, LB_GETCOUNT, 0, 0) : 0;
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

int PlatformListIsSelected(WindowHandle dialog, int controlId, int index) {
    HWND list = Control(dialog, controlId);
    return list != nullptr && SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

int PlatformListCurrent(WindowHandle dialog, int controlId) {
    HWND list = Control(dialog, controlId);
    LRESULT index = list != nullptr ? SendMessageW(list, LB_GETCURSEL, 0, 0) : LB_ERR;
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

int PlatformListSelect(WindowHandle dialog, int controlId, int index) {
    HWND list = Control(dialog, controlId);
    return list != nullptr && SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0) != LB_ERR;
}

int PlatformMessageBox(WindowHandle owner, const char16_t* text, const char16_t* title, MessageBoxIcon icon,
                       MessageBoxButtons buttons) {
    UINT style = (icon == kIconError ? MB_ICONERROR : MB_ICONINFORMATION) |
                 (buttons == kButtonsOkCancel ? MB_OKCANCEL : MB_OK);
    int pressed = MessageBoxW(H(owner), W(text), W(title), style);
    if (pressed == IDOK) {
        return kButtonOk;
    }
    return pressed == IDCANCEL ? kButtonCancel : 0;
}

WindowHandle PlatformFocusWindow() { return GetFocus(); }

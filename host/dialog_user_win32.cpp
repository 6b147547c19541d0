// On Windows the user is a thread of its own: it waits for the plug-in's
// modal dialogs and message boxes to appear on the thread that sent the
// request, reads them back through window messages, and operates them the
// way a person would (list selections, typed text, button clicks, Escape,
// the close box).
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "host/dialog_user.h"
#include "host/host_platform.h"
#include "platform/user_script.h"

namespace {

struct UserState {
    std::vector<UserStep> steps;
    std::size_t next = 0;
    std::string transcript;
    DWORD requestThread = 0;
    std::atomic<bool> stop{false};
    std::thread worker;
    std::string screenshotDirectory;
    int screenshots = 0;
};

// The running user, from StartDialogUser to FinishDialogUser.
std::unique_ptr<UserState> user;

std::string Utf8Of(const wchar_t* text) {
    std::u16string wide;
    for (; *text != 0; ++text) {
        wide.push_back(static_cast<char16_t>(*text));
    }
    return HostNarrow(wide);
}

std::string Quoted(const std::string& text) { return QuoteTranscriptField(text); }

std::string WindowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return Utf8Of(text);
}

std::string ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    std::string text = Utf8Of(name);
    for (char& c : text) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return text;
}

std::vector<HWND> Children(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && IsWindowEnabled(window) && ClassOf(window) == "#32770") {
        *reinterpret_cast<HWND*>(found) = window;
    }
    return TRUE;
}

// The enabled dialog of the request's thread: the innermost modal one.
HWND InnermostDialog() {
    HWND found = nullptr;
    EnumThreadWindows(user->requestThread, CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool IsMessageBox(HWND dialog) {
    for (HWND child : Children(dialog)) {
        if (ClassOf(child) == "static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            return true;
        }
    }
    return false;
}

void Screenshot(HWND window) {
    if (user->screenshotDirectory.empty()) {
        return;
    }
    RECT r;
    GetWindowRect(window, &r);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    DWORD rowBytes = static_cast<DWORD>((w * 3 + 3) & ~3);
    DWORD imageBytes = rowBytes * static_cast<DWORD>(h);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageBytes;
    std::string caption = WindowText(window);
    std::string name;
    for (char c : caption) {
        name += (c == ' ' || c == '/' || c == '\\' || c == ':') ? '-' : c;
    }
    std::string path = user->screenshotDirectory + std::to_string(++user->screenshots) + "-" + name + ".bmp";
    if (std::FILE* out = HostOpenPath(path, "wb")) {
        std::fwrite(&file, sizeof(file), 1, out);
        std::fwrite(&info.bmiHeader, sizeof(BITMAPINFOHEADER), 1, out);
        std::fwrite(bits, 1, imageBytes, out);
        std::fclose(out);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// A window's style bits in hexadecimal.
std::string StyleBits(HWND window) {
    char text[16];
    std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)));
    return text;
}

void TranscribeDialog(HWND dialog, const char* when) {
    std::string lines = "dialog " + Quoted(WindowText(dialog)) + " " + when + "\n";
    RECT units = {0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    lines += "  units " + std::to_string(units.right) + " " + std::to_string(units.bottom) + "\n";
    lines += "  style dialog " + StyleBits(dialog) + "\n";
    for (HWND child : Children(dialog)) {
        int id = static_cast<short>(GetDlgCtrlID(child));
        std::string kind = ClassOf(child);
        lines += "  control " + std::to_string(id) + " " + kind + " " + Quoted(WindowText(child)) + "\n";
        lines += "  style " + std::to_string(id) + " " + StyleBits(child) + "\n";
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        lines += "  rect " + std::to_string(id) + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                 std::to_string(r.right) + " " + std::to_string(r.bottom) + "\n";
        if (kind == "listbox") {
            int count = static_cast<int>(SendMessageW(child, LB_GETCOUNT, 0, 0));
            int current = static_cast<int>(SendMessageW(child, LB_GETCURSEL, 0, 0));
            lines += "  list " + std::to_string(id) + " count " + std::to_string(count) + " current " +
                     std::to_string(current < 0 ? -1 : current) + "\n";
            for (int i = 0; i < count; ++i) {
                wchar_t item[1024] = {};
                if (SendMessageW(child, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) < 1024) {
                    SendMessageW(child, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
                }
                lines += "    item " + Quoted(Utf8Of(item)) + "\n";
            }
        }
    }
    user->transcript += lines;
}

void AnswerMessageBox(HWND box) {
    std::string text;
    std::string icon = "none";
    bool hasCancel = false;
    for (HWND child : Children(box)) {
        std::string kind = ClassOf(child);
        LONG style = GetWindowLongW(child, GWL_STYLE);
        if (kind == "static" && (style & SS_TYPEMASK) == SS_ICON) {
            HICON shown = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
            if (shown == LoadIconW(nullptr, IDI_ERROR)) {
                icon = "error";
            } else if (shown == LoadIconW(nullptr, IDI_INFORMATION)) {
                icon = "information";
            }
        } else if (kind == "static" && text.empty()) {
            text = WindowText(child);
        } else if (kind == "button" && GetDlgCtrlID(child) == IDCANCEL) {
            hasCancel = true;
        }
    }
    Screenshot(box);
    int answer = IDOK;
    if (user->next < user->steps.size() && user->steps[user->next].verb == UserVerb::Answer) {
        answer = user->steps[user->next].value == IDCANCEL ? IDCANCEL : IDOK;
        ++user->next;
    }
    if (!hasCancel) {
        answer = IDOK;
    }
    user->transcript += "messagebox " + Quoted(WindowText(box)) + " icon " + icon + " buttons " +
                        (hasCancel ? "okcancel" : "ok") + "\n  text " + Quoted(text) + "\nmessagebox answer " +
                        std::to_string(answer) + "\n";
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
}

// Carries out the next step on the dialog; answers true when the step was a
// command that may end or change the dialog.
bool Perform(HWND dialog) {
    if (user->next >= user->steps.size()) {
        user->transcript += "  script ended: cancel\n";
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    }
    const UserStep& step = user->steps[user->next++];
    if (step.verb == UserVerb::Select) {
        SendMessageW(GetDlgItem(dialog, step.id), LB_SETCURSEL, static_cast<WPARAM>(step.value), 0);
        return false;
    }
    if (step.verb == UserVerb::Type) {
        std::u16string wide = HostWiden(step.text);
        std::wstring w(wide.begin(), wide.end());
        SendMessageW(GetDlgItem(dialog, step.id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
        return false;
    }
    if (step.verb == UserVerb::Press) {
        PostMessageW(GetDlgItem(dialog, step.id), BM_CLICK, 0, 0);
        return true;
    }
    if (step.verb == UserVerb::Escape) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        HWND target = GetGUIThreadInfo(user->requestThread, &info) && info.hwndFocus ? info.hwndFocus : dialog;
        PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        return true;
    }
    if (step.verb == UserVerb::Close) {
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
    user->transcript += "  ignored step \"" + step.source + "\"\n";
    return false;
}

void Run() {
    std::map<HWND, bool> pendingShows;  // dialogs pressed and not yet seen again
    HWND current = nullptr;
    while (!user->stop) {
        for (auto it = pendingShows.begin(); it != pendingShows.end();) {
            it = IsWindow(it->first) ? std::next(it) : pendingShows.erase(it);
        }
        HWND dialog = InnermostDialog();
        if (dialog == nullptr) {
            current = nullptr;
            Sleep(5);
            continue;
        }
        if (IsMessageBox(dialog)) {
            if (dialog != current) {
                current = dialog;
                Sleep(50);
                AnswerMessageBox(dialog);
            }
            Sleep(5);
            continue;
        }
        if (dialog != current) {
            Sleep(50);  // let the dialog finish drawing and settle
            if (InnermostDialog() != dialog) {
                continue;
            }
            current = dialog;
            auto pending = pendingShows.find(dialog);
            if (pending != pendingShows.end()) {
                pendingShows.erase(pending);
                TranscribeDialog(dialog, "shows");
            } else {
                TranscribeDialog(dialog, "opens");
                Screenshot(dialog);
            }
        }
        if (Perform(dialog)) {
            pendingShows[dialog] = true;
            // Wait until the command took effect: the dialog ended, or another
            // window took over, or it stays as it was.
            for (int i = 0; i < 40 && InnermostDialog() == dialog && IsWindow(dialog); ++i) {
                Sleep(5);
            }
            current = nullptr;
        }
    }
}

}  // namespace

void StartDialogUser(const std::string& script, const std::string& screenshotDirectory) {
    user = std::make_unique<UserState>();
    user->requestThread = GetCurrentThreadId();
    user->screenshotDirectory = screenshotDirectory;
    user->steps = ParseUserScript(script);
    user->worker = std::thread(Run);
}

std::string FinishDialogUser() {
    if (user == nullptr) {
        return {};
    }
    user->stop = true;
    user->worker.join();
    std::string transcript = user->transcript;
    user.reset();
    return transcript;
}

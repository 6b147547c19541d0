// What the plug-in needs from the operating system, as plain functions.
//
// platform/win32 implements these with the real USER32, GDI32, KERNEL32 and C
// runtime services; platform/portable meets the same contracts on Linux, with
// UTF-8 as the system code page. Nothing outside platform/ includes a system
// header of either side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

using WindowHandle = void*;

struct WindowRect {
    int left;
    int top;
    int right;
    int bottom;
};

// --- Text -------------------------------------------------------------------

// Converts NUL-terminated 8-bit text in the system's ANSI code page (with
// precomposed characters) to UTF-16, terminator included. Returns the code
// units written, 0 on failure (invalid input or not enough room).
int PlatformCodePageToWide(const char* text, char16_t* out, int capacity);

// Converts NUL-terminated UTF-16 to the system's ANSI code page with the
// default handling of characters that have no equivalent, terminator
// included. Returns the bytes written, 0 on failure.
int PlatformWideToCodePage(const char16_t* text, char* out, int capacity);

// One character through the C runtime's conversion in its default locale.
// Converts the character that starts at `text` (one code unit, or two for a
// surrogate pair where the runtime knows them) into out, which has room for
// kPlatformMaxCharBytes. Sets *unitsUsed and returns the byte length, or -1
// when the character has no multibyte form.
int PlatformCrtCharToNarrow(const char16_t* text, char* out, int* unitsUsed);
// Decodes one multibyte character from text (at most `available` bytes) into
// one or two UTF-16 units. Sets *unitCount and returns the bytes used, or -1
// for an invalid or incomplete sequence.
int PlatformCrtCharToWide(const char* text, std::size_t available, char16_t units[2], int* unitCount);
inline constexpr int kPlatformMaxCharBytes = 16;

// --- Memory -----------------------------------------------------------------

// The size of the large pages a hint can ask for.
inline constexpr std::size_t kPlatformLargePageBytes = std::size_t{2} << 20;

// Asks the system to back [start, start + length), both multiples of
// kPlatformLargePageBytes, with large pages when the memory is first
// touched: fewer page faults for a large buffer filled at once. A hint that
// changes no byte; nothing on Windows, where large pages need a privilege.
void PlatformPreferLargePages(void* start, std::size_t length);

// --- Paths ------------------------------------------------------------------

// The C runtime's path splitting (drive letters, both separators). Each
// output is NUL-terminated; the capacities are those of the C runtime:
// drive 3, directory 256, name 256, extension 256.
inline constexpr int kSplitDriveCap = 3;
inline constexpr int kSplitPartCap = 256;
void PlatformSplitPathWide(const char16_t* path, char16_t* drive, char16_t* dir, char16_t* name,
                           char16_t* ext);
void PlatformSplitPathNarrow(const char* path, char* drive, char* dir, char* name, char* ext);

// Makes the UTF-16 path the process's current directory; answers non-zero on
// success.
int PlatformSetCurrentDirectory(const char16_t* path);

// Opens a file by its UTF-16 path with a C runtime mode ("rb", "wb").
std::FILE* PlatformOpenFile(const char16_t* path, const char* mode);

// --- Reading a file in place ------------------------------------------------
//
// A file mapped read-only into memory: its pages are read when first touched,
// so a reader pays only for the parts it looks at. The file stays open until
// the view is released.

struct PlatformFileView {
    const std::uint8_t* bytes;  // the file's bytes; null when nothing is mapped
    std::size_t length;         // the file's length when it was mapped
    std::intptr_t file;         // the open file (descriptor or handle), for PlatformFileViewWhole
};

enum PlatformViewResult {
    kViewMapped,
    kViewNotOpened,  // the file could not be opened for reading
    kViewFailed,     // opened, but empty, longer than the limit, or not mappable
};

// Maps the whole file at the UTF-16 path, which must be at most `largest`
// bytes long. Leaves the view empty unless it answers kViewMapped.
PlatformViewResult PlatformMapFile(const char16_t* path, std::size_t largest, PlatformFileView* view);
// Answers non-zero when the view is empty or its file still holds every
// mapped byte: touching a mapped byte past a file's new end would fault.
int PlatformFileViewWhole(const PlatformFileView* view);
// Unmaps the view and closes its file; leaves the view empty. Nothing for an
// empty view.
void PlatformUnmapFile(PlatformFileView* view);

// --- Replacing a file whole -------------------------------------------------
//
// A file is written beside its target under another name and put in the
// target's place only once it is complete, so a failed write leaves the
// target as it was.

enum PlatformTargetKind {
    kTargetAbsent,       // nothing there yet (or the folder itself is missing)
    kTargetRegularFile,  // an existing file the user may write
    kTargetDevice,       // a device or pipe: written in place, it cannot be replaced
    kTargetUnwritable,   // a folder, a read-only file, or anything else not to be written
};
PlatformTargetKind PlatformInspectTarget(const char16_t* path);

// The file that `path` finally names: symbolic links are followed to their
// end (the last may name a file that does not exist yet). Writes at most
// `capacity` units with the terminator; answers non-zero when `out` holds the
// final path, 0 (with `out` untouched) when it cannot be found or does not fit.
int PlatformResolveTarget(const char16_t* path, char16_t* out, int capacity);
// How many names (hard links) the existing file at `path` has; 1 when it is
// absent or the system does not say.
int PlatformLinkCount(const char16_t* path);

// Creates the file, which must not exist yet, and opens it for binary
// writing; null when it exists or cannot be created.
std::FILE* PlatformCreateNewFile(const char16_t* path);
// Flushes the stream, waits until its data is on the disk and closes it.
// Answers non-zero when every step succeeded; the stream is closed either way.
int PlatformCommitAndClose(std::FILE* file);
// Moves `source` into the place of `target` in one step, replacing it when it
// exists, and waits until the move is on the disk. The moved file takes the
// replaced one's permission bits and, where the process may set them, its
// owner and group (on Windows: its attributes and security). Answers non-zero
// on success; on failure both files stay as they were.
int PlatformReplaceFile(const char16_t* source, const char16_t* target);
// Deletes a file; answers non-zero on success.
int PlatformRemoveFile(const char16_t* path);

// --- Threads --------------------------------------------------------------------

struct PlatformThread;

// Processors the process may run on; at least 1.
int PlatformProcessorCount();
// Starts `work(context)` on a thread of its own; null when no thread could be
// started (the caller then does the work itself).
PlatformThread* PlatformStartThread(void (*work)(void* context), void* context);
// Waits until the thread's work has returned and releases it; nothing for null.
void PlatformJoinThread(PlatformThread* thread);

// --- Windows ----------------------------------------------------------------

// The outer rectangle of a window in screen coordinates; 0 on failure.
int PlatformGetWindowRect(WindowHandle window, WindowRect* rect);
// The screen size in pixels, read from the window's device context.
int PlatformGetScreenSize(WindowHandle window, int* width, int* height);
// Moves a window without changing its size or Z order; answers the system's
// result.
int PlatformMoveWindow(WindowHandle window, int x, int y);
// The desktop window, over which every dialog is centred.
WindowHandle PlatformDesktopWindow();

// --- Dialogs and message boxes ------------------------------------------------

enum DialogEvent {
    kDialogInit,     // the dialog was created; controls exist
    kDialogCommand,  // a button was pressed (Escape and the close box send 2)
};

// A dialog procedure: answers 1 when it handled the event, 0 to leave it to
// the system's default handling.
using DialogProcedure = int (*)(WindowHandle dialog, DialogEvent event, int commandId, void* context);

// Runs the modal dialog of template `templateId` from the module `instance`,
// owned by `owner`. Answers the code it was ended with, or -1 when it could
// not be created.
int PlatformRunDialog(void* instance, int templateId, WindowHandle owner, DialogProcedure procedure,
                      void* context);
void PlatformEndDialog(WindowHandle dialog, int code);

// The buttons OK and Cancel: the codes message boxes answer and dialogs end
// with (Cancel is also sent by Escape and the close box).
inline constexpr int kButtonOk = 1;
inline constexpr int kButtonCancel = 2;

// The code a dialog that could not be created answers.
inline constexpr int kDialogNotCreated = -1;

// True when a dialog's end code lets the request go on: not 0, not Cancel
// and not kDialogNotCreated.
inline bool DialogConfirmed(int ended) {
    return ended != 0 && ended != kButtonCancel && ended != kDialogNotCreated;
}

// Controls by id. Texts are NUL-terminated UTF-16.
int PlatformHasControl(WindowHandle dialog, int controlId);
int PlatformSetControlText(WindowHandle dialog, int controlId, const char16_t* text);
// Copies at most capacity - 1 units and a terminator; answers the length.
int PlatformGetControlText(WindowHandle dialog, int controlId, char16_t* out, int capacity);
int PlatformListReset(WindowHandle dialog, int controlId);
int PlatformListAdd(WindowHandle dialog, int controlId, const char16_t* text);
int PlatformListCount(WindowHandle dialog, int controlId);
int PlatformListIsSelected(WindowHandle dialog, int controlId, int index);
// The current selection of a list, -1 when none.
int PlatformListCurrent(WindowHandle dialog, int controlId);
int PlatformListSelect(WindowHandle dialog, int controlId, int index);

enum MessageBoxIcon { kIconError, kIconInformation };
enum MessageBoxButtons { kButtonsOk, kButtonsOkCancel };

// Shows a modal message box; answers the button pressed (kButtonOk,
// kButtonCancel), 0 when it could not be shown.
int PlatformMessageBox(WindowHandle owner, const char16_t* text, const char16_t* title, MessageBoxIcon icon,
                       MessageBoxButtons buttons);
// The window that has the keyboard focus (may be null).
WindowHandle PlatformFocusWindow();

// Threads on Windows, through KERNEL32.
#include <windows.h>

#include <new>

#include "platform/platform.h"

struct PlatformThread {
    HANDLE handle;
    void (*work)(void*);
    void* context;
};

namespace {

DWORD WINAPI RunThread(LPVOID argument) {
    PlatformThread* thread = static_cast<PlatformThread*>(argument);
    thread->work(thread->context);
    return 0;
}

}  // namespace

int PlatformProcessorCount() {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    int count = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) {
        for (; process != 0; process &= process - 1) {
            ++count;
        }
    }
    return count < 1 ? 1 : count;
}

PlatformThread* PlatformStartThread(void (*work)(void* context), void* context) {
    PlatformThread* thread = new (std::nothrow) PlatformThread{nullptr, work, context};
    if (thread == nullptr || work == nullptr) {
        delete thread;
        return nullptr;
    }
    thread->handle = CreateThread(nullptr, 0, RunThread, thread, 0, nullptr);
    if (thread->handle == nullptr) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void PlatformJoinThread(PlatformThread* thread) {
    if (thread == nullptr) {
        return;
    }
    WaitForSingleObject(thread->handle, INFINITE);
    CloseHandle(thread->handle);
    delete thread;
}

// Threads on Linux, through POSIX threads.
#include <pthread.h>
#include <unistd.h>

#include <new>

#include "platform/platform.h"

struct PlatformThread {
    pthread_t handle;
    void (*work)(void*);
    void* context;
};

namespace {

void* RunThread(void* argument) {
    PlatformThread* thread = static_cast<PlatformThread*>(argument);
    thread->work(thread->context);
    return nullptr;
}

}  // namespace

int PlatformProcessorCount() {
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count < 1 ? 1 : (count > 1024 ? 1024 : static_cast<int>(count));
}

PlatformThread* PlatformStartThread(void (*work)(void* context), void* context) {
    PlatformThread* thread = new (std::nothrow) PlatformThread{pthread_t{}, work, context};
    if (thread == nullptr || work == nullptr || pthread_create(&thread->handle, nullptr, RunThread, thread) != 0) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void PlatformJoinThread(PlatformThread* thread) {
    if (thread == nullptr) {
        return;
    }
    pthread_join(thread->handle, nullptr);
    delete thread;
}

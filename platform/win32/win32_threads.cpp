// Threads on Windows: CreateThread, the time-critical priority, and a join that releases the handle.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <new>

#include "platform/system.h"

struct system_thread {
    HANDLE handle = nullptr;
    thread_entry entry = nullptr;
    void* arg = nullptr;
};

namespace {
DWORD WINAPI thread_main(LPVOID parameter) {
    auto* thread = static_cast<system_thread*>(parameter);
    thread->entry(thread->arg);
    return 0;
}
}  // namespace

system_thread* thread_start(thread_entry entry, void* arg) {
    auto* thread = new (std::nothrow) system_thread{nullptr, entry, arg};
    if (!thread) return nullptr;
    thread->handle = CreateThread(nullptr, 0, thread_main, thread, 0, nullptr);
    if (!thread->handle) {
        delete thread;
        return nullptr;
    }
    return thread;
}

bool thread_raise_priority(system_thread* thread) {
    return thread && thread->handle && SetThreadPriority(thread->handle, THREAD_PRIORITY_TIME_CRITICAL) != 0;
}

void thread_join(system_thread* thread) {
    if (!thread) return;
    if (thread->handle) {
        WaitForSingleObject(thread->handle, INFINITE);
        CloseHandle(thread->handle);
    }
    delete thread;
}

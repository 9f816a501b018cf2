// Threads, shared by the POSIX backends.
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

#include <cstdint>
#include <new>
#include <thread>

#include "platform/system.h"

struct system_thread {
    std::thread thread;
};

system_thread* thread_start(thread_entry entry, void* arg) {
    auto* handle = new (std::nothrow) system_thread;
    if (!handle) return nullptr;
    try {
        handle->thread = std::thread(entry, arg);
    } catch (...) {
        delete handle;
        return nullptr;
    }
    return handle;
}

bool thread_raise_priority(system_thread* handle) {
    if (!handle || !handle->thread.joinable()) return false;
    pthread_t native = handle->thread.native_handle();
    // Real-time scheduling needs privileges; where it is refused the thread keeps its normal priority.
    sched_param param{};
    param.sched_priority = sched_get_priority_max(SCHED_FIFO);
    if (pthread_setschedparam(native, SCHED_FIFO, &param) == 0) return true;
    param.sched_priority = sched_get_priority_max(SCHED_RR);
    return pthread_setschedparam(native, SCHED_RR, &param) == 0;
}

void thread_join(system_thread* handle) {
    if (!handle) return;
    if (handle->thread.joinable()) handle->thread.join();
    delete handle;
}

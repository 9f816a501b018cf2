// Threads and random numbers, shared by the POSIX backends.
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

namespace {
// xorshift64*: small, fast and good enough for stars and noise.
uint64_t random_state = 0x9E3779B97F4A7C15ull;
}  // namespace

void random_seed(uint32_t seed) {
    random_state = 0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(seed) * 0xD1B54A32D192ED03ull);
    if (random_state == 0) random_state = 1;
}

double random01() {
    random_state ^= random_state >> 12;
    random_state ^= random_state << 25;
    random_state ^= random_state >> 27;
    uint64_t r = random_state * 0x2545F4914F6CDD1Dull;
    return static_cast<double>(r >> 11) * (1.0 / 9007199254740992.0);
}

// Replacement operator new and delete that keep a running count of live blocks and requested bytes.
// Each block carries its requested size in a 16-byte header in front of it (the allocator's own block
// sizes depend on its history, the requested ones do not); the memory itself still comes from malloc,
// so the sanitizers' allocators stay in charge of it.
#include "tools/monkey/alloc_count.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t header = 16;

std::atomic<int64_t> live_bytes{0};
std::atomic<int64_t> live_blocks{0};

void note(std::size_t size, int64_t sign) {
    live_bytes.fetch_add(sign * static_cast<int64_t>(size), std::memory_order_relaxed);
    live_blocks.fetch_add(sign, std::memory_order_relaxed);
}

// raw is the start of the allocation, offset where the caller's block begins (at least the header).
void* hand_out(unsigned char* raw, std::size_t offset, std::size_t size) {
    if (!raw) return nullptr;
    unsigned char* p = raw + offset;
    std::memcpy(p - header, &size, sizeof size);
    note(size, 1);
    return p;
}

std::size_t size_of(void* p) {
    std::size_t size;
    std::memcpy(&size, static_cast<unsigned char*>(p) - header, sizeof size);
    return size;
}

void* take(std::size_t size) { return hand_out(static_cast<unsigned char*>(std::malloc(size + header)), header, size); }

void* take_aligned(std::size_t size, std::align_val_t align) {
    const std::size_t a = std::max(static_cast<std::size_t>(align), header);
    const std::size_t total = (size + a + a - 1) / a * a;
    return hand_out(static_cast<unsigned char*>(std::aligned_alloc(a, total)), a, size);
}

// The program runs without exceptions: running out of memory ends it.
void* must(void* p) {
    if (!p) std::abort();
    return p;
}

void give(void* p) noexcept {
    if (!p) return;
    note(size_of(p), -1);
    std::free(static_cast<unsigned char*>(p) - header);
}

void give_aligned(void* p, std::align_val_t align) noexcept {
    if (!p) return;
    note(size_of(p), -1);
    std::free(static_cast<unsigned char*>(p) - std::max(static_cast<std::size_t>(align), header));
}

}  // namespace

alloc_counts alloc_live() {
    return {live_bytes.load(std::memory_order_relaxed), live_blocks.load(std::memory_order_relaxed)};
}

void* operator new(std::size_t size) { return must(take(size)); }
void* operator new[](std::size_t size) { return must(take(size)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return take(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return take(size); }
void* operator new(std::size_t size, std::align_val_t align) { return must(take_aligned(size, align)); }
void* operator new[](std::size_t size, std::align_val_t align) { return must(take_aligned(size, align)); }
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return take_aligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return take_aligned(size, align);
}

void operator delete(void* p) noexcept { give(p); }
void operator delete[](void* p) noexcept { give(p); }
void operator delete(void* p, std::size_t) noexcept { give(p); }
void operator delete[](void* p, std::size_t) noexcept { give(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { give(p); }
void operator delete(void* p, std::align_val_t align) noexcept { give_aligned(p, align); }
void operator delete[](void* p, std::align_val_t align) noexcept { give_aligned(p, align); }
void operator delete(void* p, std::size_t, std::align_val_t align) noexcept { give_aligned(p, align); }
void operator delete[](void* p, std::size_t, std::align_val_t align) noexcept { give_aligned(p, align); }
void operator delete(void* p, std::align_val_t align, const std::nothrow_t&) noexcept { give_aligned(p, align); }
void operator delete[](void* p, std::align_val_t align, const std::nothrow_t&) noexcept { give_aligned(p, align); }

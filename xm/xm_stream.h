// Memory files and the stream layer: the loader reads a module through five callbacks as if it were a file.
#pragma once
#include <cstddef>
#include <cstdint>

// The five stream callbacks. Offsets are 64-bit so that no caller arithmetic can overflow before the
// callback clamps it.
using xm_open_fn = void* (*)(const char* name);
using xm_close_fn = void (*)(void* handle);
using xm_read_fn = int32_t (*)(void* destination, int32_t count, void* handle);
using xm_seek_fn = void (*)(void* handle, int64_t offset, int32_t origin);
using xm_tell_fn = int32_t (*)(void* handle);

// What the loader reads through: the mode byte, the handle returned by open and a spare word.
struct xm_stream {
    uint8_t mode;
    void* handle;
    uint32_t extra;
};

// The handle the memory open callback makes over the current memory source.
struct xm_memory_file {
    int32_t length;
    int32_t position;
    const uint8_t* base;
};

// Installs all five callbacks when every one is non-null; otherwise clears all five.
void xm_set_io(xm_open_fn open, xm_close_fn close, xm_read_fn read, xm_seek_fn seek, xm_tell_fn tell);
// True when a complete callback set is installed (the player refuses to start without one).
bool xm_io_complete();
// Sets the block of memory that the memory-file callbacks serve; called by xm_load_from_memory.
void xm_set_memory_source(const uint8_t* base, int32_t length);

// The memory-file callbacks, installed by xm_load_from_memory.
void* xm_memory_open(const char* name);
void xm_memory_close(void* handle);
int32_t xm_memory_read(void* destination, int32_t count, void* handle);
void xm_memory_seek(void* handle, int64_t offset, int32_t origin);
int32_t xm_memory_tell(void* handle);

// Opens a stream through the installed callbacks; nullptr when none are installed or open fails.
xm_stream* xm_stream_open(const char* name, uint8_t mode, uint32_t extra);
// Closes the handle and frees the stream. Safe with nullptr.
void xm_stream_close(xm_stream* stream);
// Reads up to count bytes; returns the bytes delivered (0 on a null stream).
int32_t xm_stream_read(xm_stream* stream, void* destination, int32_t count);
// Moves the position: origin 0 from the start, 1 from the current position, 2 from the end.
void xm_stream_seek(xm_stream* stream, int64_t offset, int32_t origin);
// The current position (0 on a null stream).
int32_t xm_stream_tell(xm_stream* stream);

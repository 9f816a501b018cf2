// Memory files and the stream layer behind the XM loader.
#include "xm/xm_stream.h"

#include <cstring>
#include <new>

#include "xm/xm_state.h"

void xm_set_io(xm_open_fn open, xm_close_fn close, xm_read_fn read, xm_seek_fn seek, xm_tell_fn tell) {
    auto& io = xm_player_state.io;
    if (open && close && read && seek && tell) {
        io = {open, close, read, seek, tell};
    } else {
        io = {};
    }
}

bool xm_io_complete() {
    const auto& io = xm_player_state.io;
    return io.open && io.close && io.read && io.seek && io.tell;
}

void xm_set_memory_source(const uint8_t* base, int32_t length) {
    xm_player_state.memory_base = base;
    xm_player_state.memory_length = length < 0 ? 0 : length;
}

void* xm_memory_open(const char*) {
    auto* file = new (std::nothrow) xm_memory_file{};
    if (!file) return nullptr;
    file->length = xm_player_state.memory_length;
    file->base = xm_player_state.memory_base;
    if (!file->base) file->length = 0;
    return file;
}

void xm_memory_close(void* handle) { delete static_cast<xm_memory_file*>(handle); }

int32_t xm_memory_read(void* destination, int32_t count, void* handle) {
    auto* file = static_cast<xm_memory_file*>(handle);
    if (!file || !destination || count <= 0) return 0;
    int64_t n = count;
    if (static_cast<int64_t>(file->position) + count >= file->length) n = file->length - file->position;
    if (n <= 0) return 0;
    std::memcpy(destination, file->base + file->position, static_cast<size_t>(n));
    file->position += static_cast<int32_t>(n);
    return static_cast<int32_t>(n);
}

void xm_memory_seek(void* handle, int64_t offset, int32_t origin) {
    auto* file = static_cast<xm_memory_file*>(handle);
    if (!file) return;
    int64_t position = file->position;
    if (origin == 0) position = offset;
    else if (origin == 1) position += offset;
    else if (origin == 2) position = static_cast<int64_t>(file->length) + offset;
    // A position before the start would let the next read copy from before the block.
    if (position < 0) position = 0;
    if (position > file->length) position = file->length;
    file->position = static_cast<int32_t>(position);
}

int32_t xm_memory_tell(void* handle) {
    auto* file = static_cast<xm_memory_file*>(handle);
    return file ? file->position : 0;
}

xm_stream* xm_stream_open(const char* name, uint8_t mode, uint32_t extra) {
    const auto& io = xm_player_state.io;
    if (!xm_io_complete()) return nullptr;
    auto* stream = new (std::nothrow) xm_stream{mode, nullptr, extra};
    if (!stream) return nullptr;
    stream->handle = io.open(name);
    if (!stream->handle) {
        delete stream;
        return nullptr;
    }
    return stream;
}

void xm_stream_close(xm_stream* stream) {
    if (!stream) return;
    if (xm_player_state.io.close) xm_player_state.io.close(stream->handle);
    delete stream;
}

int32_t xm_stream_read(xm_stream* stream, void* destination, int32_t count) {
    if (!stream || !xm_player_state.io.read) return 0;
    return xm_player_state.io.read(destination, count, stream->handle);
}

void xm_stream_seek(xm_stream* stream, int64_t offset, int32_t origin) {
    if (!stream || !xm_player_state.io.seek) return;
    xm_player_state.io.seek(stream->handle, offset, origin);
}

int32_t xm_stream_tell(xm_stream* stream) {
    if (!stream || !xm_player_state.io.tell) return 0;
    return xm_player_state.io.tell(stream->handle);
}

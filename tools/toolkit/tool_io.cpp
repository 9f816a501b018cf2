// Whole-file reads and all-or-nothing writes for the build-time tools.
#include "tools/toolkit/tool_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool tool_read_text(const char* path, std::string& out) {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    out.clear();
    char buf[65536];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    const bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

bool tool_read_bytes(const char* path, std::vector<uint8_t>& bytes, std::string& reason, size_t limit) {
    bytes.clear();
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) {
        reason = "cannot open ";
        reason += path;
        reason += ": ";
        reason += std::strerror(errno);
        return false;
    }
    uint8_t chunk[65536];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        // Checked before growing, so an endless or huge input never costs more than limit bytes.
        if (n > limit - bytes.size()) {
            std::fclose(f);
            bytes.clear();
            reason = path;
            reason += ": larger than ";
            reason += std::to_string(limit);
            reason += " bytes";
            return false;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        reason = "cannot read ";
        reason += path;
    }
    return !failed;
}

bool tool_read_source(const char* path, std::string& out, const char* tool_name) {
    if (tool_read_text(path, out)) return true;
    std::fprintf(stderr, "%s: cannot read %s\n", tool_name, path);
    return false;
}

bool tool_write_output(const std::string& path, std::string_view text, const char* tool_name) {
    std::string tmp = path;
    tmp += ".tmp";
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    bool ok = f != nullptr;
    if (ok) {
        ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
        // The close flushes the buffer: a full disk shows up here, not in the fwrite.
        ok = std::fclose(f) == 0 && ok;
    }
    if (!ok) {
        std::fprintf(stderr, "%s: cannot write %s\n", tool_name, tmp.c_str());
        std::remove(tmp.c_str());
        return false;
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "%s: cannot rename %s to %s\n", tool_name, tmp.c_str(), path.c_str());
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

std::string tool_base_name(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

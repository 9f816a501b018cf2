// Whole-file reads and all-or-nothing writes for the build-time tools.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reads the whole file at path into out (replacing it); false when it cannot be opened or read.
bool tool_read_text(const char* path, std::string& out);

// Reads the whole file at path into bytes (replacing them); false with reason set ("cannot open <path>:
// <why>", "cannot read <path>" or "<path>: larger than <limit> bytes") when that fails or the file
// holds more than limit bytes.
bool tool_read_bytes(const char* path, std::vector<uint8_t>& bytes, std::string& reason,
                     size_t limit = size_t{1} << 30);

// Reads a tool's source file; on failure prints "<tool>: cannot read <path>" and returns false.
bool tool_read_source(const char* path, std::string& out, const char* tool_name);

// Writes text to path through "<path>.tmp" and a rename, so a failed run never leaves a half file that
// looks built; on failure prints "<tool>: cannot write <tmp>" or "<tool>: cannot rename <tmp> to
// <path>", removes the temporary file and returns false.
bool tool_write_output(const std::string& path, std::string_view text, const char* tool_name);

// The file name part of path (after the last '/'), as the generated sources name their origin.
std::string tool_base_name(const std::string& path);

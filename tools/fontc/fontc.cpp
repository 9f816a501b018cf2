// Text font compiler: parses the glyph source, checks every block, and lays the glyphs into the sheet.
//
// Sections: source reading helpers; the parser (directives, glyph headers, block rows); the final
// checks and palette; reading a source file; the C++ emitter.
#include "tools/fontc/fontc.h"

#include "tools/toolkit/tool_io.h"
#include "tools/toolkit/tool_text.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

// ---- source reading helpers ----

struct level_table {
    std::array<int, 128> value{}; // -1 = not a level character
    level_table() {
        value.fill(-1);
        value[' '] = 0; // space is always the transparent / black level
    }
};

struct glyph_header {
    int code = -1;
    int line = 0;
    std::array<bool, 3> has_style{};
};

std::string describe(int code) {
    char buf[32];
    if (code >= 33 && code <= 126) {
        std::snprintf(buf, sizeof buf, "U+%04X '%c'", static_cast<unsigned>(code), static_cast<char>(code));
    } else {
        std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(code));
    }
    return buf;
}

// Decodes exactly one UTF-8 character filling s; -1 when s is not one well-formed character.
int decode_one_utf8(std::string_view s) {
    if (s.empty()) return -1;
    auto b = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(s[i])); };
    unsigned c0 = b(0);
    size_t len = c0 < 0x80 ? 1 : (c0 >> 5) == 0x6 ? 2 : (c0 >> 4) == 0xE ? 3 : (c0 >> 3) == 0x1E ? 4 : 0;
    if (len == 0 || s.size() != len) return -1;
    if (len == 1) return static_cast<int>(c0);
    unsigned cp = c0 & (0x7Fu >> len);
    for (size_t i = 1; i < len; ++i) {
        if ((b(i) & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (b(i) & 0x3F);
    }
    static constexpr std::array<unsigned, 5> min_for_len{0, 0, 0x80, 0x800, 0x10000};
    if (cp < min_for_len[len] || cp > 0x10FFFF) return -1; // overlong or out of range
    return static_cast<int>(cp);
}

// ---- the parser ----

struct parser {
    std::string_view name;
    std::vector<unsigned char>& data;
    std::string& error;
    level_table levels;
    std::array<int, 12> shade{100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100};
    bool shade_seen = false;
    std::array<int, 256> defined_at{}; // line of each code's header, 0 = not yet
    glyph_header glyph;
    int block_style = 0; // style of the block being read, 0 = between blocks
    int block_rows = 0;
    int block_line = 0;
    int line_no = 0;
    bool any_glyph = false;

    parser(std::string_view source_name, std::vector<unsigned char>& out, std::string& err)
        : name(source_name), data(out), error(err) {}

    bool fail(int line, const std::string& what) {
        error = std::string(name) + ":" + std::to_string(line) + ": " + what;
        return false;
    }

    bool close_block() {
        if (block_style != 0 && block_rows != fontc_cell_height) {
            return fail(block_line, describe(glyph.code) + " style " + std::to_string(block_style) +
                                        " block has " + std::to_string(block_rows) + " rows, expected 12");
        }
        block_style = 0;
        return true;
    }

    bool close_glyph() {
        if (!close_block()) return false;
        if (glyph.code < 0) return true;
        for (int s = 1; s <= 2; ++s) {
            if (!glyph.has_style[static_cast<size_t>(s)]) {
                return fail(glyph.line,
                            describe(glyph.code) + " has no style " + std::to_string(s) + " block");
            }
        }
        glyph = {};
        return true;
    }

    bool directive_level(std::string_view rest) {
        std::string_view ch = tool_next_word(rest);
        std::string_view val = tool_next_word(rest);
        int v = 0;
        if (ch.size() != 1 || !rest.empty() || !tool_parse_int(val, 10, v)) {
            return fail(line_no, "expected 'level <character> <value 1..255>'");
        }
        unsigned char c = static_cast<unsigned char>(ch[0]);
        if (c < 33 || c > 126 || c == '|') {
            return fail(line_no, "a level character must be printable ASCII other than space and '|'");
        }
        if (v < 1 || v > 255) return fail(line_no, "level value must be 1..255");
        if (levels.value[c] >= 0)
            return fail(line_no, std::string("level character '") + ch[0] + "' given twice");
        if (any_glyph) {
            return fail(line_no, "levels must be declared before the first glyph");
        }
        levels.value[c] = v;
        return true;
    }

    bool directive_shade(std::string_view rest) {
        if (shade_seen) return fail(line_no, "shade given twice");
        for (int r = 0; r < fontc_cell_height; ++r) {
            int v = 0;
            if (!tool_parse_int(tool_next_word(rest), 10, v) || v < 1 || v > 100) {
                return fail(line_no,
                            "expected 'shade' with 12 percentages 1..100, one per row of the heading face");
            }
            shade[static_cast<size_t>(r)] = v;
        }
        if (!rest.empty()) return fail(line_no, "expected 'shade' with 12 percentages, found more");
        shade_seen = true;
        return true;
    }

    bool directive_char(std::string_view rest) {
        if (!close_glyph()) return false;
        std::string_view id = tool_next_word(rest);
        int code = -1;
        if (id.size() < 3 || id.substr(0, 2) != "U+" || !tool_parse_int(id.substr(2), 16, code)) {
            return fail(line_no, "expected 'char U+XXXX' optionally followed by the character itself");
        }
        if (code < 32 || code > 255) {
            return fail(line_no, "code " + describe(code) + " has no cell in the sheet (32..255 have)");
        }
        if (!rest.empty()) {
            int shown = decode_one_utf8(rest);
            if (shown < 0)
                return fail(line_no, "the character after the code is not one valid UTF-8 character");
            if (shown != code) {
                return fail(line_no, "the character after " + describe(code) + " is " + describe(shown) +
                                         ": they must agree");
            }
        }
        size_t c = static_cast<size_t>(code);
        if (defined_at[c] != 0) {
            return fail(line_no, describe(code) + " defined twice (first on line " +
                                     std::to_string(defined_at[c]) + ")");
        }
        defined_at[c] = line_no;
        any_glyph = true;
        glyph.code = code;
        glyph.line = line_no;
        return true;
    }

    bool directive_style(std::string_view rest) {
        if (!close_block()) return false;
        if (glyph.code < 0) return fail(line_no, "'style' before any 'char' line");
        int s = 0;
        if (!tool_parse_int(tool_trim(rest), 10, s) || (s != 1 && s != 2))
            return fail(line_no, "expected 'style 1' or 'style 2'");
        if (glyph.has_style[static_cast<size_t>(s)]) {
            return fail(line_no, describe(glyph.code) + " has two style " + std::to_string(s) + " blocks");
        }
        glyph.has_style[static_cast<size_t>(s)] = true;
        block_style = s;
        block_rows = 0;
        block_line = line_no;
        return true;
    }

    bool block_row(std::string_view row) {
        if (block_style == 0)
            return fail(line_no, "glyph row outside a block (a block is 'style N' and 12 rows)");
        if (block_rows == fontc_cell_height) {
            return fail(line_no, describe(glyph.code) + " style " + std::to_string(block_style) +
                                     " block has more than 12 rows");
        }
        for (char ch : row) {
            if (static_cast<unsigned char>(ch) >= 0x80)
                return fail(line_no, "glyph row holds a non-ASCII character");
        }
        if (row.size() != fontc_cell_width + 2 || row.back() != '|') {
            return fail(line_no, "glyph row must be '|' + 9 level characters + '|' (found " +
                                     std::to_string(row.size() < 2 ? 0 : row.size() - 2) +
                                     " between the bars or no closing bar)");
        }
        int sheet_row = (block_style == 1 ? 0 : fontc_style2_row) + block_rows;
        int column = (glyph.code - 32) * fontc_cell_width + 1;
        for (int k = 0; k < fontc_cell_width; ++k) {
            unsigned char ch = static_cast<unsigned char>(row[static_cast<size_t>(k) + 1]);
            int v = levels.value[ch];
            if (v < 0) {
                return fail(line_no, std::string("unknown level character '") + static_cast<char>(ch) +
                                         "' in column " + std::to_string(k + 1));
            }
            if (block_style == 2 && v > 0) {
                // The heading face keeps one bold shape; its rows are shaded from top to bottom here.
                v = std::max(1, (v * shade[static_cast<size_t>(block_rows)] + 50) / 100);
            }
            data[static_cast<size_t>(sheet_row) * fontc_sheet_width + static_cast<size_t>(column + k)] =
                static_cast<unsigned char>(v);
        }
        ++block_rows;
        return true;
    }

    bool line(std::string_view text) {
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (!text.empty() && text.front() == '|') return block_row(text);
        if (!close_block()) return false;
        std::string_view rest = tool_trim(text);
        if (rest.empty() || rest.front() == '#') return true;
        std::string_view word = tool_next_word(rest);
        if (word == "level") return directive_level(rest);
        if (word == "shade") return directive_shade(rest);
        if (word == "char") return directive_char(rest);
        if (word == "style") return directive_style(rest);
        std::string shown;
        for (char ch : word.substr(0, 24)) shown += ch >= 32 && ch < 127 ? ch : '?';
        return fail(line_no,
                    "unknown line '" + shown + "' (expected level, shade, char, style or a glyph row)");
    }
};

} // namespace

// ---- whole-source compile, final checks and palette ----

bool fontc_compile(std::string_view source, std::string_view name, std::vector<unsigned char>& data,
                   std::string& error) {
    std::vector<unsigned char> out(static_cast<size_t>(fontc_data_size), 0);
    parser p(name, out, error);
    size_t pos = 0;
    std::string_view text;
    while (tool_next_line(source, pos, text)) {
        ++p.line_no;
        if (!p.line(text)) return false;
    }
    if (!p.close_glyph()) return false;
    for (int c = 32; c <= 126; ++c) {
        if (p.defined_at[static_cast<size_t>(c)] == 0) {
            return p.fail(p.line_no,
                          "end of source: no glyph for " + describe(c) + " (codes 32..126 are all required)");
        }
    }
    // Palette entry i is the grey i, so a level byte is its own brightness and every tint stays a clean hue.
    size_t base = static_cast<size_t>(fontc_sheet_width) * fontc_sheet_height;
    for (size_t i = 0; i < 256; ++i) {
        for (size_t ch = 0; ch < 3; ++ch) out[base + i * 3 + ch] = static_cast<unsigned char>(i);
    }
    data = std::move(out);
    error.clear();
    return true;
}

bool fontc_compile_file(const char* path, const char* tool_name, std::vector<unsigned char>& data) {
    std::string source;
    if (!tool_read_source(path, source, tool_name)) return false;
    std::string error;
    if (fontc_compile(source, path, data, error)) return true;
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
}

// ---- the C++ emitter ----

std::string fontc_emit_cpp(const std::vector<unsigned char>& data, std::string_view source_name) {
    std::string s;
    s.reserve(data.size() * 4 + 512);
    s += "// Text font sheet and palette, generated by fontc from ";
    s += source_name;
    s += " at build time: edit the source, not this file.\n";
    s += "#include \"content/fonts/text_font.h\"\n\n";
    s += "const unsigned char text_font_data[2048 * 28 + 768] = {\n";
    for (size_t i = 0; i < data.size(); ++i) {
        s += std::to_string(static_cast<unsigned>(data[i]));
        s += (i + 1) % 32 == 0 ? ",\n" : ",";
    }
    s += "};\n";
    return s;
}

// Big font compiler: parses the block design, checks every glyph, and paints the glyphs into the sheet.
//
// Sections: source reading helpers; blocks and their pixels; the parser; the C++ emitter.
#include "tools/bigfontc/bigfontc.h"

#include "tools/toolkit/tool_text.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace {

// ---- source reading helpers ----

// Decodes the UTF-8 character at s[at], advancing at; -1 for a malformed or truncated sequence.
int decode_utf8(std::string_view s, size_t& at) {
    auto b = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(s[i])); };
    const unsigned c0 = b(at);
    const size_t len = c0 < 0x80 ? 1 : (c0 >> 5) == 0x6 ? 2 : (c0 >> 4) == 0xE ? 3 : (c0 >> 3) == 0x1E ? 4 : 0;
    if (len == 0 || at + len > s.size()) return -1;
    unsigned cp = len == 1 ? c0 : c0 & (0x7Fu >> len);
    for (size_t i = 1; i < len; ++i) {
        if ((b(at + i) & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (b(at + i) & 0x3F);
    }
    at += len;
    return static_cast<int>(cp);
}

// ---- blocks and their pixels ----

enum block_kind { block_none = -1, block_empty, block_full, block_lower_right, block_lower_left, block_upper_left,
                  block_upper_right };

block_kind block_of(int cp) {
    switch (cp) {
        case ' ': return block_empty;
        case 0x2588: return block_full;         // full block
        case 0x25E2: return block_lower_right;  // lower right triangle
        case 0x25E3: return block_lower_left;
        case 0x25E4: return block_upper_left;
        case 0x25E5: return block_upper_right;
        default: return block_none;
    }
}

// Whether pixel (px, py) of a 4 x 4 block is ink; the diagonal itself belongs to the filled half so
// that neighbouring slopes join without a gap.
bool block_ink(block_kind k, int px, int py) {
    switch (k) {
        case block_full: return true;
        case block_lower_right: return px + py >= 3;
        case block_lower_left: return py >= px;
        case block_upper_left: return px + py <= 3;
        case block_upper_right: return px >= py;
        default: return false;
    }
}

struct parse_state {
    std::string_view name;
    int line = 0;
    std::string& error;
    bool fail(const std::string& what) {
        error = std::string(name) + ":" + std::to_string(line) + ": " + what;
        return false;
    }
};

std::string code_name(int code) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(code));
    return buf;
}

bool parse_colour(parse_state& p, std::string_view rest, std::array<int, 3>& rgb) {
    for (int& v : rgb) {
        if (!tool_parse_int(tool_next_word(rest), 10, v) || v < 0 || v > 255)
            return p.fail("a colour is three numbers 0 to 255 (red green blue)");
    }
    if (!rest.empty()) return p.fail("unexpected text after the colour");
    return true;
}

}  // namespace

// ---- the parser ----

bool bigfontc_compile(std::string_view source, std::string_view name, std::vector<unsigned char>& data,
                      std::string& error) {
    parse_state p{name, 0, error};
    std::vector<unsigned char> sheet(static_cast<size_t>(bigfontc_sheet_width) * bigfontc_sheet_height, 0);
    std::array<int, bigfontc_last_code + 1> seen_at{};  // line of each glyph, 0 = not yet
    std::array<int, 3> top{255, 255, 255}, bottom{255, 255, 255};
    bool have_top = false, have_bottom = false;
    int colour_line = 0;  // where the last colour was given, for a complaint about the shades

    int code = -1;      // glyph being read, -1 outside a glyph
    int glyph_row = 0;  // next block row of that glyph
    size_t pos = 0;
    std::string_view raw;
    while (tool_next_line(source, pos, raw)) {
        ++p.line;
        std::string_view text = tool_trim(raw);

        if (code >= 0) {
            // Inside a glyph: exactly eight rows of eight blocks between bars.
            if (text.size() < 2 || text.front() != '|' || text.back() != '|')
                return p.fail("glyph " + code_name(code) + " row " + std::to_string(glyph_row) +
                              ": expected a row of 8 blocks between '|' bars");
            std::string_view cells = text.substr(1, text.size() - 2);
            size_t at = 0;
            int column = 0;
            while (at < cells.size()) {
                const int cp = decode_utf8(cells, at);
                if (cp < 0) return p.fail("malformed UTF-8 in a glyph row");
                const block_kind k = block_of(cp);
                if (k == block_none)
                    return p.fail("unknown block " + code_name(cp) + " (use ' ', \u2588, \u25E2, \u25E3, \u25E4, \u25E5)");
                if (column >= bigfontc_blocks)
                    return p.fail("glyph " + code_name(code) + " row " + std::to_string(glyph_row) +
                                  ": more than 8 blocks");
                const int x0 = (code - bigfontc_first_code) * bigfontc_glyph_size + column * 4;
                const int y0 = glyph_row * 4;
                for (int py = 0; py < 4; ++py)
                    for (int px = 0; px < 4; ++px)
                        if (block_ink(k, px, py))
                            sheet[static_cast<size_t>(y0 + py) * bigfontc_sheet_width + static_cast<size_t>(x0 + px)] =
                                static_cast<unsigned char>(y0 + py + 1);
                ++column;
            }
            if (column != bigfontc_blocks)
                return p.fail("glyph " + code_name(code) + " row " + std::to_string(glyph_row) + ": " +
                              std::to_string(column) + " blocks, expected 8");
            if (++glyph_row == bigfontc_blocks) code = -1;
            continue;
        }

        if (text.empty() || text.front() == '#') continue;
        std::string_view rest = text;
        std::string_view word = tool_next_word(rest);
        if (word == "top" || word == "bottom") {
            bool& have = word == "top" ? have_top : have_bottom;
            if (have) return p.fail("'" + std::string(word) + "' given twice");
            have = true;
            colour_line = p.line;
            if (!parse_colour(p, rest, word == "top" ? top : bottom)) return false;
        } else if (word == "glyph") {
            std::string_view id = tool_next_word(rest);
            int c = -1;
            if (id.size() < 3 || id.substr(0, 2) != "U+" || !tool_parse_int(id.substr(2), 16, c))
                return p.fail("expected 'glyph U+XXXX'");
            if (c < bigfontc_first_code || c > bigfontc_last_code)
                return p.fail("glyph " + code_name(c) + " outside the font's codes U+0020 to U+005A");
            if (!rest.empty() && !(rest.size() == 1 && rest[0] == static_cast<char>(c)))
                return p.fail("the character after " + code_name(c) + " is not that character");
            if (seen_at[static_cast<size_t>(c)] != 0)
                return p.fail("glyph " + code_name(c) + " given twice (first on line " +
                              std::to_string(seen_at[static_cast<size_t>(c)]) + ")");
            seen_at[static_cast<size_t>(c)] = p.line;
            code = c;
            glyph_row = 0;
        } else {
            return p.fail("unknown line '" + std::string(word) + "' (expected top, bottom or glyph)");
        }
    }
    if (code >= 0) return p.fail("the source ends inside glyph " + code_name(code));
    for (int c = bigfontc_first_code; c <= bigfontc_last_code; ++c)
        if (seen_at[static_cast<size_t>(c)] == 0) return p.fail("glyph " + code_name(c) + " is missing");

    // Palette: entry 0 is transparent black; entry r + 1 is the shade of pixel row r, none of them black,
    // since black would make the ink transparent.
    std::vector<unsigned char> palette(bigfontc_palette_bytes, 0);
    for (int r = 0; r < bigfontc_glyph_size; ++r) {
        int sum = 0;
        for (size_t ch = 0; ch < 3; ++ch) {
            const int v = top[ch] + (bottom[ch] - top[ch]) * r / (bigfontc_glyph_size - 1);
            palette[static_cast<size_t>(r + 1) * 3 + ch] = static_cast<unsigned char>(v);
            sum += v;
        }
        if (sum == 0) {
            p.line = colour_line;
            return p.fail("the shade of pixel row " + std::to_string(r) + " is black: its ink would not show");
        }
    }
    data = std::move(sheet);
    data.insert(data.end(), palette.begin(), palette.end());
    return true;
}

// ---- the C++ emitter ----

std::string bigfontc_emit_cpp(const std::vector<unsigned char>& data, std::string_view source_name) {
    std::string out;
    out.reserve(data.size() * 5 + 256);
    out += "// Generated by bigfontc from " + std::string(source_name) + "; do not edit.\n";
    out += "#include \"content/fonts/big_font.h\"\n\n";
    out += "const unsigned char big_font_data[" + std::to_string(data.size()) + "] = {\n";
    for (size_t i = 0; i < data.size(); ++i) {
        out += std::to_string(data[i]);
        out += (i + 1) % 32 == 0 ? ",\n" : ",";
    }
    out += "\n};\n";
    return out;
}

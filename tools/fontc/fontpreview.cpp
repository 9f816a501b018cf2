// fontpreview: renders sample text with the text font source to a PPM image, so a content author can
// look at the faces as a reader will (opaque cells on black, 9 px advance, 12 px lines, every tint).
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/fontc/fontc.h"

namespace {

constexpr int image_width = 800;

struct canvas {
    int height = 0;
    std::vector<unsigned> pixels; // 0x00RRGGBB
};

// The magazine's tint rule: a channel mask and mix per group of three, divided by 1, 1.5 or 2.
unsigned tint_colour(int level, int tint, const std::vector<unsigned char>& data) {
    if (tint < 1 || tint > 30) return 0;
    size_t p = static_cast<size_t>(fontc_sheet_width) * fontc_sheet_height + static_cast<size_t>(level) * 3;
    static constexpr double divisors[3] = {1.0, 1.5, 2.0};
    double d = divisors[(tint - 1) % 3];
    auto scaled = [&](size_t ch) { return std::floor(data[p + ch] / d); };
    double r = scaled(0), g = scaled(1), b = scaled(2);
    static constexpr double mix[10][3] = {{1, 1, 1}, {1, 0, 0}, {0, 1, 0},     {0, 0, 1},     {1, 1, 0},
                                          {0, 1, 1}, {1, 0, 1}, {1, 0.7, 0.3}, {0.3, 0.7, 1}, {0.7, 1, 0.7}};
    const double* k = mix[(tint - 1) / 3];
    auto chan = [](double v, double f) { return static_cast<unsigned>(std::nearbyint(v * f)); };
    return chan(r, k[0]) << 16 | chan(g, k[1]) << 8 | chan(b, k[2]);
}

void draw_glyph(canvas& cv, const std::vector<unsigned char>& data, unsigned char c, int x, int y, int style,
                int tint) {
    if (c < 32 || x < 0 || x + fontc_cell_width > image_width) return;
    int column = (c - 32) * fontc_cell_width + 1;
    int base = style == 1 ? 0 : fontc_style2_row;
    for (int r = 0; r < fontc_cell_height; ++r) {
        if (y + r < 0 || y + r >= cv.height) continue;
        for (int k = 0; k < fontc_cell_width; ++k) {
            int level =
                data[static_cast<size_t>(base + r) * fontc_sheet_width + static_cast<size_t>(column + k)];
            cv.pixels[static_cast<size_t>(y + r) * image_width + static_cast<size_t>(x + k)] =
                tint_colour(level, tint, data);
        }
    }
}

// Text is UTF-8 in the sample; the sheet is indexed by Latin-1 code.
std::string to_latin1(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) {
            out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F));
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

struct sample_line {
    std::string text;
    int style;
    int tint;
};

const std::vector<sample_line> default_sample = {
    {"  THE KESTRAVON - ISSUE 31", 2, 1},
    {"  THIS ISSUES EDITORIAL", 2, 13},
    {"", 1, 1},
    {"  Welcome back, readers. Another month has gone by and the scene is busier than", 1, 1},
    {"  ever: 1,391 releases were counted for the charts, more than in any month of the", 1, 1},
    {"  year before. Our thanks go to every group that sent in its list on time (and a", 1, 1},
    {"  quiet reminder to those who did not: the deadline is the 20th, no exceptions).", 1, 1},
    {"", 1, 1},
    {"  Quick brown foxes jump over lazy dogs; pack my box with five dozen liquor jugs!", 1, 1},
    {"  Is it \"fair\" to rate #1 at 98% & #2 at 97%? {maybe} [perhaps] <never> a|b ~x^y", 1, 1},
    {"  Numbers: 0123456789  O0 Il1| rn m  cl d  vv w  $12.50 @ 3:45 pm, 7/8 = 0.875", 1, 1},
    {"  Café, naïve, façade, Ångström, Müller, señor, crème brûlée, smørrebrød, Øre.", 1, 1},
    {"  £5 © 2026 ° ± ² ³ µ · ¿que? ¡sí! «bien» 3×4 straße ÀÁÂÄÃÅ ÈÉÊË ÌÍÎÏ ÒÓÔÖÕ ÙÚÛÜ Ý Ç Ñ", 1, 1},
    {"", 1, 1},
    {"  MONTHLY CHART", 2, 4},
    {"  POS  GROUP                 RELEASES   POINTS   LAST MONTH", 1, 22},
    {"  ---  --------------------  --------   ------   ----------", 1, 3},
    {"   1.  Amberline Aurora           128     9871            2", 1, 1},
    {"   2.  Copperwing                 117     9040            1", 1, 1},
    {"   3.  Quartz Division             96     7312            5", 1, 1},
    {"   4.  Nova Reel                   84     6650            3", 1, 7},
    {"   5.  Glitchmonks                 61     4408            -", 1, 16},
    {"", 1, 1},
    {"  The tints, each in full, two-thirds and half strength:", 1, 1},
};

void render_page(canvas& cv, const std::vector<unsigned char>& data, const std::vector<sample_line>& lines) {
    int y = 12;
    for (const sample_line& line : lines) {
        std::string text = to_latin1(line.text);
        for (size_t n = 0; n < text.size(); ++n) {
            draw_glyph(cv, data, static_cast<unsigned char>(text[n]), 23 + 9 * static_cast<int>(n), y,
                       line.style, line.tint);
        }
        y += 12;
    }
    // Every tint, both faces.
    for (int tint = 1; tint <= 30; ++tint) {
        std::string label = "  tint " + std::to_string(tint) + (tint < 10 ? " " : "");
        std::string s1 = label + " Reading text, 0123 Aa;  ";
        std::string s2 = "HEADING 31";
        int x = 23;
        for (char ch : s1) {
            draw_glyph(cv, data, static_cast<unsigned char>(ch), x, y, 1, tint);
            x += 9;
        }
        for (char ch : s2) {
            draw_glyph(cv, data, static_cast<unsigned char>(ch), x, y, 2, tint);
            x += 9;
        }
        y += 12;
    }
    // The whole character set in both faces.
    for (int style = 1; style <= 2; ++style) {
        for (int first = 32; first < 256; first += 64) {
            for (int c = first; c < first + 64 && c < 256; ++c) {
                draw_glyph(cv, data, static_cast<unsigned char>(c), 23 + 9 * (c - first + 2), y, style, 1);
            }
            y += 12;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: fontpreview <font source> <output .ppm> [sample text, UTF-8, one line a row]\n");
        return 2;
    }
    std::vector<unsigned char> data;
    if (!fontc_compile_file(argv[1], "fontpreview", data)) return 1;
    std::vector<sample_line> lines = default_sample;
    if (argc > 3) {
        // A sample file: lines starting with "2 " are drawn in the heading face.
        lines.clear();
        std::ifstream sample(argv[3]);
        std::string text;
        while (std::getline(sample, text)) {
            if (text.rfind("2 ", 0) == 0)
                lines.push_back({text.substr(2), 2, 1});
            else
                lines.push_back({text, 1, 1});
        }
    }
    canvas cv;
    cv.height = 12 * (static_cast<int>(lines.size()) + 30 + 8 + 2);
    cv.pixels.assign(static_cast<size_t>(image_width) * static_cast<size_t>(cv.height), 0);
    render_page(cv, data, lines);
    std::ofstream out(argv[2], std::ios::binary);
    out << "P6\n" << image_width << " " << cv.height << "\n255\n";
    for (unsigned p : cv.pixels) {
        out.put(static_cast<char>(p >> 16 & 0xFF))
            .put(static_cast<char>(p >> 8 & 0xFF))
            .put(static_cast<char>(p & 0xFF));
    }
    return out.good() ? 0 : 1;
}

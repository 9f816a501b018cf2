// skinpreview: writes each skin as stored, with an overlay of the places the code draws over, and a
// mock of the magazine's screen over it (the articles menu and a page, the editorial by default), as PPM.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "content/fonts/text_font.h"
#include "content/pages/page_data.h"
#include "tools/skingen/skingen.h"

namespace {

using image = std::vector<unsigned>;  // 0x00RRGGBB

void write_ppm(const std::string& path, const image& img) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n800 600\n255\n";
    for (unsigned p : img) {
        char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
        out.write(rgb, 3);
    }
}

void put(image& img, int x, int y, unsigned c) {
    if (x >= 0 && y >= 0 && x < 800 && y < 600) img[static_cast<size_t>(y * 800 + x)] = c;
}

void frame(image& img, int x, int y, int w, int h, unsigned c) {
    for (int i = x; i <= x + w; ++i) put(img, i, y, c), put(img, i, y + h, c);
    for (int j = y; j <= y + h; ++j) put(img, x, j, c), put(img, x + w, j, c);
}

void blend_box(image& img, int x, int y, int w, int h, int a, int r, int g, int b) {
    for (int j = y; j <= y + h; ++j)
        for (int i = x; i <= x + w; ++i) {
            unsigned& d = img[static_cast<size_t>(j * 800 + i)];
            int dr = static_cast<int>(d >> 16 & 255), dg = static_cast<int>(d >> 8 & 255), db = static_cast<int>(d & 255);
            dr = (r * a + dr * (256 - a)) / 256;
            dg = (g * a + dg * (256 - a)) / 256;
            db = (b * a + db * (256 - a)) / 256;
            d = static_cast<unsigned>(dr << 16 | dg << 8 | db);
        }
}

void bar_line(image& img, int y, int x, int len, int style, double phase) {
    static const unsigned mid[8] = {0, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF};
    static const unsigned dark[8] = {0, 0x888888, 0x880000, 0x008800, 0x000088, 0x888800, 0x008888, 0x880088};
    if (style >= 1 && style <= 7) {
        for (int i = 0; i < len; ++i) put(img, x + i, y - 1, dark[style]), put(img, x + i, y, mid[style]), put(img, x + i, y + 1, dark[style]);
    } else if (style == 8) {
        for (int i = 0; i <= len; ++i) {
            double u = phase + i;
            auto ch = [&](double amp, double off, double f, double p) { return static_cast<unsigned>(std::lround(amp * std::sin(f * u + p) + off)); };
            unsigned m = ch(124, 125, 0.01, 0) << 16 | ch(124, 125, 0.012, 0.96) << 8 | ch(124, 125, 0.013, 2.47);
            unsigned e = ch(64, 65, 0.01, 0) << 16 | ch(64, 65, 0.012, 0.96) << 8 | ch(64, 65, 0.013, 2.47);
            put(img, x + i, y - 1, e), put(img, x + i, y, m), put(img, x + i, y + 1, e);
        }
    }
}

unsigned tint_colour(int level, int tint) {
    if (tint < 1 || tint > 30) return 0;
    double d = (tint - 1) % 3 == 0 ? 1.0 : (tint - 1) % 3 == 1 ? 1.5 : 2.0;
    int v = static_cast<int>(std::floor(level / d));
    int r = 0, g = 0, b = 0;
    switch ((tint - 1) / 3) {
        case 0: r = g = b = v; break;
        case 1: r = v; break;
        case 2: g = v; break;
        case 3: b = v; break;
        case 4: r = g = v; break;
        case 5: g = b = v; break;
        case 6: r = b = v; break;
        case 7: r = v, g = static_cast<int>(std::lround(v * 0.7)), b = static_cast<int>(std::lround(v * 0.3)); break;
        case 8: r = static_cast<int>(std::lround(v * 0.3)), g = static_cast<int>(std::lround(v * 0.7)), b = v; break;
        default: r = static_cast<int>(std::lround(v * 0.7)), g = v, b = static_cast<int>(std::lround(v * 0.7)); break;
    }
    return static_cast<unsigned>(r << 16 | g << 8 | b);
}

int tint_of(char c) { return c >= '1' && c <= '9' ? c - '0' : c >= 'A' && c <= 'V' ? c - 'A' + 10 : 1; }

void glyph(image& img, char ch, int x, int y, int style, int tint, int top, int bottom, bool opaque) {
    int code = static_cast<unsigned char>(ch);
    if (code <= 32 && opaque) return;
    if (code < 32) return;
    for (int r = 0; r < 12; ++r) {
        if (y + r < top || y + r > bottom) continue;
        for (int k = 0; k < 9; ++k) {
            int level = text_font_data[static_cast<size_t>((style == 1 ? 0 : 14) + r) * 2048 + static_cast<size_t>((code - 32) * 9 + 1 + k)];
            if (level == 0 && !opaque) continue;
            put(img, x + k, y + r, tint_colour(level, tint));
        }
    }
}

void text(image& img, const std::string& s, int x, int y, int style, int tint, int left, int right) {
    for (size_t i = 0; i < s.size(); ++i) {
        int gx = x + 9 * static_cast<int>(i);
        if (gx + 8 < left || gx > right) continue;
        glyph(img, s[i], gx, y, style, tint, 40, 145, false);
    }
}

void mock(image& img, const skingen_skin& s, int skin_number, int page_number, int top_line) {
    bool grunge = skin_number == 1;
    const int band_bottom = s.band_bottom;
    // Buttons: articles menu and tune 1 active, a hover glow on MUSIC.
    for (int i = 1; i <= 10; ++i) {
        const skingen_rect r = s.buttons[static_cast<size_t>(i)].rect;
        bool active = i == 3 || i == 7;
        if (active) {
            grunge ? blend_box(img, r.x, r.y, r.w, r.h, 125, 125, 70, 20) : blend_box(img, r.x, r.y, r.w, r.h, 95, 100, 150, 250);
        } else {
            grunge ? blend_box(img, r.x, r.y, r.w, r.h, i == 6 ? 90 : 0, 30, 50, 125)
                   : blend_box(img, r.x, r.y, r.w, r.h, i == 6 ? 90 : 0, 50, 100, 250);
        }
    }
    std::string title = "THE KESTRAVON ISSUE 31";
    text(img, title, static_cast<int>(std::lround(404 - 9 * static_cast<double>(title.size()) / 2.0)), 42, 1, 25, 146, 649);
    const char* left[] = {"> This Issues Editorial", "> Credits For The Charts", "> Letters To The Editor", "> This Issues Music",
                          "> Improving On The Engine"};
    const char* right[] = {"> Interview with Velvetine", "> Interview with Orbitrax!", "> New ISO/DOX rules? Part 1",
                           "> New ISO/DOX rules? Part 2", "> Charts Menu"};
    for (int k = 0; k < 5; ++k) {
        text(img, left[k], 148, 60 + 12 * k, 1, 2, 146, 649);
        text(img, right[k], 402, 60 + 12 * k, 1, k == 4 ? 1 : 2, 146, 649);
        blend_box(img, 148, 61 + 12 * k, 245, 10, k == 2 ? 125 : 60, 100, 100, k == 2 ? 132 : 100);
        blend_box(img, 402, 61 + 12 * k, 245, 10, 60, 100, 100, 100);
    }
    blend_box(img, 148, 60, 245, 10, 90, 200, 100, 100);
    bar_line(img, 57, 144, 507, 8, 300);
    bar_line(img, 122, 144, 507, 8, 300);
    // Note bars: a few pushed up, in the skin's gradient.
    static const unsigned grad_g[14] = {0xEEBB33, 0xDDAA33, 0xCC9933, 0xBB8833, 0xAA7733, 0x996622, 0x885522,
                                        0x774422, 0x663322, 0x552211, 0x441111, 0x331111, 0x221111, 0x221111};
    static const unsigned grad_c[14] = {0x33BBEE, 0x33AADD, 0x3399CC, 0x3388BB, 0x3377AA, 0x226699, 0x225588,
                                        0x224477, 0x223366, 0x221155, 0x111144, 0x111133, 0x111122, 0x111122};
    for (int b = 0; b < 40; ++b) {
        int top = 147 - static_cast<int>(std::lround(14 * std::fabs(std::sin(b * 0.37) * std::sin(b * 0.11 + 1))));
        for (int y = top; y <= 147; ++y)
            for (int x = 1; x < 12; ++x) {
                unsigned c = y < 135 ? 0 : (grunge ? grad_g : grad_c)[y - 135];
                put(img, 157 + 12 * b + x, y + s.bar_shift, c);
            }
    }
    std::string ticker(65, ' ');
    ticker += "F1 To select 'Grunge' skin    F2 To select 'Carbon' skin   Selected song: ";
    text(img, ticker.substr(40, 58), 146 - 4, s.ticker_y, 2, 2, 146, 649);
    const page_source& page = page_sources[page_number];
    for (int r = 0; r < 33; ++r) {
        int n = top_line + r, y = 175 + 12 * r;
        if (n >= page.line_count) break;
        const page_source_line& l = page.lines[n];
        if (y + 6 > 192 && y + 6 < 569) bar_line(img, y + 6, 20, 750, l.rule_code[0] - '0', 300);
        if (std::string(l.text).rfind("<END>", 0) == 0) break;
        std::string t = l.text;
        for (size_t k = 0; k < t.size() && k < 80; ++k) {
            bool band = l.rule_code[0] == '0' && r > 0 && r < 31;
            glyph(img, t[k], 32 + 9 * static_cast<int>(k), y, l.style_map[k] - '0', tint_of(l.colour_map[k]), 193, band_bottom, band);
        }
    }
    int end_line = page.line_count;
    for (int n = 0; n < page.line_count; ++n)
        if (std::string(page.lines[n].text).rfind("<END>", 0) == 0) end_line = n;
    int ty = end_line > 33 ? 195 + static_cast<int>(std::lround(361.0 / (end_line - 33) * top_line)) : 195;
    grunge ? blend_box(img, 779, ty, 8, 19, 80, 100, 150, 250) : blend_box(img, 783, ty, 9, 19, 80, 50, 150, 250);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: skinpreview <skin parameters> <output folder> [page top-line]\n");
        return 2;
    }
    std::vector<skingen_skin> skins;
    if (!skingen_parse_file(argv[1], "skinpreview", skins)) return 1;
    for (size_t n = 0; n < skins.size(); ++n) {
        const skingen_skin& s = skins[n];
        std::vector<float> rgb;
        std::array<skingen_rect, 11> ink;
        skingen_paint(s, text_font_data, rgb, ink);
        std::vector<unsigned char> stored = skingen_quantize(rgb);
        image img(800 * 600);
        for (size_t i = 0; i < img.size(); ++i) {
            size_t k = stored[768 + i];
            img[i] = static_cast<unsigned>(stored[k * 3] << 16 | stored[k * 3 + 1] << 8 | stored[k * 3 + 2]);
        }
        std::string base = std::string(argv[2]) + "/" + s.name;
        write_ppm(base + ".ppm", img);
        image over = img;
        skingen_layout l = skingen_layout_of(s);
        for (int i = 1; i <= 10; ++i) {
            const skingen_rect r = s.buttons[static_cast<size_t>(i)].rect;
            frame(over, r.x, r.y, r.w, r.h, 0xFF0000);
            const skingen_rect k = ink[static_cast<size_t>(i)];
            frame(over, k.x, k.y, k.w, k.h, 0x00FF00);
        }
        frame(over, 146, 40, 503, 105, 0xFFFFFF);                                    // menu clip
        frame(over, 146, s.ticker_y, 503, 11, 0xFFFF00);                              // ticker glyph cells
        frame(over, 158, 133 + s.bar_shift, 478, 14, 0x00FFFF);                       // note bars
        frame(over, 20, s.band_top, 750, s.band_bottom - s.band_top, 0x00FF00);       // text band
        frame(over, 776 + s.zone_shift, 201, 14, 359, 0xFF00FF);                      // drag zone
        frame(over, s.thumb_x, 195, s.thumb_w, 380, 0x4080FF);                        // thumb travel
        frame(over, l.window.x, l.window.y, l.window.w, l.window.h, 0xFF8000);
        write_ppm(base + "_overlay.ppm", over);
        int page = argc == 5 ? std::clamp(std::atoi(argv[3]), 1, 20) : 11;
        int top = argc == 5 ? std::max(0, std::atoi(argv[4])) : 0;
        mock(img, s, static_cast<int>(n) + 1, page, top);
        write_ppm(base + "_mock.ppm", img);
    }
    return 0;
}

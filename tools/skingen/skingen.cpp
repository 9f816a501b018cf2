// Skin generator: parameter parser, the painting recipes of both looks, palette reduction and emitter.
//
// Sections: parameters; layout; canvas and noise; shared parts (bevels, rivets, labels, stamped
// letters); the 'grunge' look; the 'carbon' look; palette reduction; the C++ emitter.
#include "tools/skingen/skingen.h"

#include "tools/toolkit/tool_io.h"
#include "tools/toolkit/tool_text.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <numeric>

// ---- parameters ----

namespace {

std::vector<std::string_view> words_of(std::string_view s) {
    std::vector<std::string_view> out;
    s = tool_trim(s);
    while (!s.empty()) out.push_back(tool_next_word(s));
    return out;
}

bool to_int(std::string_view s, int lo, int hi, int& out) {
    return tool_parse_int(s, 10, out) && out >= lo && out <= hi;
}

}  // namespace

bool skingen_parse(std::string_view source, std::string_view name, std::vector<skingen_skin>& skins,
                   std::string& error) {
    std::vector<skingen_skin> out;
    int line_no = 0;
    auto fail = [&](const std::string& what) {
        error = std::string(name) + ":" + std::to_string(line_no) + ": " + what;
        return false;
    };
    size_t pos = 0;
    std::string_view line;
    while (tool_next_line(source, pos, line)) {
        ++line_no;
        std::vector<std::string_view> w = words_of(line);
        if (w.empty() || w[0].front() == '#') continue;
        if (w[0] == "skin") {
            if (w.size() != 3) return fail("'skin' needs a name and a look");
            if (w[2] != "grunge" && w[2] != "carbon") return fail("look '" + std::string(w[2]) + "' is not grunge or carbon");
            out.emplace_back();
            out.back().name = w[1];
            out.back().look = w[2];
            continue;
        }
        if (out.empty()) return fail("'" + std::string(w[0]) + "' comes before any 'skin' line");
        skingen_skin& s = out.back();
        std::vector<int> v;
        for (size_t i = 1; i < w.size(); ++i) {
            int n = 0;
            if (w[0] == "button" && i == 2) continue;  // the label
            if (!to_int(w[i], -1000, 100000, n)) return fail("'" + std::string(w[i]) + "' is not a number");
            v.push_back(n);
        }
        auto need = [&](size_t n) {
            return v.size() == n || fail("'" + std::string(w[0]) + "' needs " + std::to_string(n) + " numbers");
        };
        auto within = [&](int value, int lo, int hi, const char* what) {
            return (value >= lo && value <= hi) ||
                   fail(std::string(what) + " " + std::to_string(value) + " is outside " + std::to_string(lo) + "-" +
                        std::to_string(hi));
        };
        if (w[0] == "button") {
            if (w.size() != 7 || !need(5)) return fail("'button' needs N LABEL X Y W H");
            if (!within(v[0], 1, 10, "button number")) return false;
            skingen_rect r{v[1], v[2], v[3], v[4]};
            if (r.w < 4 || r.h < 4 || r.x < 1 || r.y < 1 || r.x + r.w > skingen_width - 2 || r.y + r.h > skingen_height - 2) {
                return fail("button rectangle must lie inside the screen with room for its edge");
            }
            std::string label(w[2]);
            std::replace(label.begin(), label.end(), '_', ' ');
            s.buttons[static_cast<size_t>(v[0])] = {label, r};
        } else if (w[0] == "band") {
            if (!need(2) || !within(v[0], 160, 300, "band top") || !within(v[1], v[0] + 36, 580, "band bottom")) return false;
            s.band_top = v[0];
            s.band_bottom = v[1];
        } else if (w[0] == "ticker") {
            if (!need(1) || !within(v[0], 100, 140, "ticker row")) return false;
            s.ticker_y = v[0];
        } else if (w[0] == "bars") {
            if (!need(1) || !within(v[0], 0, 8, "bar shift")) return false;
            s.bar_shift = v[0];
        } else if (w[0] == "scrollbar") {
            if (!need(3) || !within(v[0], 770, 790, "thumb column") || !within(v[1], 2, 12, "thumb width") ||
                !within(v[2], 0, 6, "drag zone shift"))
                return false;
            s.thumb_x = v[0];
            s.thumb_w = v[1];
            s.zone_shift = v[2];
        } else if (w[0] == "seed") {
            if (!need(1) || !within(v[0], 1, 1 << 30, "seed")) return false;
            s.seed = static_cast<uint32_t>(v[0]);
        } else {
            return fail("unknown line '" + std::string(w[0]) + "' (skin, seed, button, band, ticker, bars, scrollbar)");
        }
    }
    for (const skingen_skin& s : out) {
        for (size_t i = 1; i <= 10; ++i) {
            if (s.buttons[i].label.empty()) {
                return fail("skin " + s.name + " has no button " + std::to_string(i));
            }
        }
        if (s.band_top == 0 || s.ticker_y == 0 || s.thumb_x == 0) {
            return fail("skin " + s.name + " needs band, ticker and scrollbar lines");
        }
    }
    if (out.empty()) return fail("no 'skin' line");
    skins = std::move(out);
    error.clear();
    return true;
}

bool skingen_parse_file(const char* path, const char* tool_name, std::vector<skingen_skin>& skins) {
    std::string source;
    if (!tool_read_source(path, source, tool_name)) return false;
    std::string error;
    if (skingen_parse(source, path, skins, error)) return true;
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
}

// ---- layout ----

skingen_layout skingen_layout_of(const skingen_skin& s) {
    skingen_layout l;
    int track_x = 776 + s.zone_shift;  // the drag zone is 775 + o < x < 791 + o
    int top = s.band_top - 5, bottom = s.band_bottom + 6;
    l.window = {16, top, track_x - 3 - 16, bottom - top};
    l.track = {track_x, top, 14, bottom - top};
    l.panel = {143, 37, 652 - 143, 151 + s.bar_shift - 37};
    l.well = {155, 132 + s.bar_shift, 639 - 155, 18};
    l.ticker = {146, s.ticker_y, 649 - 146, 11};
    return l;
}

// ---- canvas and noise ----

namespace {

struct colour {
    float r = 0, g = 0, b = 0;
};

colour mix(colour a, colour b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
colour scale(colour a, float k) { return {a.r * k, a.g * k, a.b * k}; }
colour add(colour a, colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
float clamp01(float t) { return std::clamp(t, 0.0f, 1.0f); }
float smooth(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

struct canvas {
    std::vector<float>& px;
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < skingen_width && y < skingen_height; }
    size_t at(int x, int y) const { return (static_cast<size_t>(y) * skingen_width + static_cast<size_t>(x)) * 3; }
    colour get(int x, int y) const {
        size_t i = at(x, y);
        return {px[i], px[i + 1], px[i + 2]};
    }
    void set(int x, int y, colour c) {
        if (!inside(x, y)) return;
        size_t i = at(x, y);
        px[i] = c.r;
        px[i + 1] = c.g;
        px[i + 2] = c.b;
    }
    void blend(int x, int y, colour c, float a) {
        if (inside(x, y)) set(x, y, mix(get(x, y), c, clamp01(a)));
    }
    void darken(int x, int y, float k) {
        if (inside(x, y)) set(x, y, scale(get(x, y), k));
    }
    // Applies f(x, y, old colour) to every pixel of an inclusive rectangle.
    template <typename F>
    void each(skingen_rect r, F f) {
        for (int y = std::max(0, r.y); y <= std::min(skingen_height - 1, r.y + r.h); ++y)
            for (int x = std::max(0, r.x); x <= std::min(skingen_width - 1, r.x + r.w); ++x) set(x, y, f(x, y, get(x, y)));
    }
    void fill(skingen_rect r, colour c) {
        each(r, [&](int, int, colour) { return c; });
    }
};

skingen_rect grow(skingen_rect r, int by) { return {r.x - by, r.y - by, r.w + 2 * by, r.h + 2 * by}; }

// Integer hash of a lattice point: the same picture on every build and every compiler.
float hash(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFFu) / 16777216.0f;
}

float value_noise(float x, float y, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    float a = hash(ix, iy, seed), b = hash(ix + 1, iy, seed), c = hash(ix, iy + 1, seed), d = hash(ix + 1, iy + 1, seed);
    return a + (b - a) * tx + (c - a) * ty + (a - b - c + d) * tx * ty;
}

float fbm(float x, float y, uint32_t seed, int octaves) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * value_noise(x, y, seed + static_cast<uint32_t>(i) * 101u);
        norm += amp;
        amp *= 0.5f;
        x *= 2.03f;
        y *= 2.01f;
    }
    return sum / norm;
}

// ---- shared parts ----

// A raised (or, with sunk, recessed) edge of the given width just inside r.
void bevel(canvas& c, skingen_rect r, int width, float light, float dark, bool sunk) {
    for (int i = 0; i < width; ++i) {
        float hi = sunk ? dark : light, lo = sunk ? light : dark;
        float fade = 1.0f - static_cast<float>(i) / static_cast<float>(width);
        for (int x = r.x + i; x <= r.x + r.w - i; ++x) {
            c.set(x, r.y + i, scale(c.get(x, r.y + i), 1 + (hi - 1) * fade));
            c.set(x, r.y + r.h - i, scale(c.get(x, r.y + r.h - i), 1 + (lo - 1) * fade));
        }
        for (int y = r.y + i + 1; y < r.y + r.h - i; ++y) {
            c.set(r.x + i, y, scale(c.get(r.x + i, y), 1 + (hi - 1) * fade));
            c.set(r.x + r.w - i, y, scale(c.get(r.x + r.w - i, y), 1 + (lo - 1) * fade));
        }
    }
}

void outline(canvas& c, skingen_rect r, colour col, float a) {
    for (int x = r.x; x <= r.x + r.w; ++x) {
        c.blend(x, r.y, col, a);
        c.blend(x, r.y + r.h, col, a);
    }
    for (int y = r.y + 1; y < r.y + r.h; ++y) {
        c.blend(r.x, y, col, a);
        c.blend(r.x + r.w, y, col, a);
    }
}

// A domed rivet head with its shadow; screw adds a slot.
void rivet(canvas& c, int cx, int cy, float radius, colour metal, bool screw) {
    int ri = static_cast<int>(radius) + 2;
    for (int y = -ri; y <= ri; ++y)
        for (int x = -ri; x <= ri; ++x) {
            float fx = static_cast<float>(x), fy = static_cast<float>(y);
            float d = std::sqrt(fx * fx + fy * fy);
            float sd = std::sqrt((fx - 1.2f) * (fx - 1.2f) + (fy - 1.5f) * (fy - 1.5f));
            if (sd <= radius + 0.8f && d > radius) c.darken(cx + x, cy + y, 0.45f);
            if (d <= radius) {
                float lit = clamp01(0.55f - (fx + fy) / (2.2f * radius) + 0.1f);
                colour col = mix(scale(metal, 0.35f), scale(metal, 1.6f), lit);
                if (d > radius - 0.9f) col = scale(col, 0.6f);
                if (screw && std::fabs(fx - fy) < 0.8f && d < radius - 0.8f) col = scale(metal, 0.2f);
                c.set(cx + x, cy + y, col);
            }
        }
}

// A small signal lamp: a soft halo added to the surface and a bright core.
void lamp(canvas& c, int cx, int cy, colour light) {
    const int reach = 11;
    for (int y = -reach; y <= reach; ++y)
        for (int x = -reach; x <= reach; ++x) {
            float d = std::sqrt(static_cast<float>(x * x + y * y)), t = 1 - d / static_cast<float>(reach);
            if (t <= 0) continue;
            float halo = t * t * 0.95f;
            colour k = c.get(std::clamp(cx + x, 0, skingen_width - 1), std::clamp(cy + y, 0, skingen_height - 1));
            colour lit = add(k, scale(light, halo));
            if (d <= 2.6f) {
                lit = mix(light, colour{255, 250, 230}, clamp01(1.0f - d / 2.0f));
            } else if (d <= 3.4f) {
                lit = scale(light, 0.5f);
            }
            c.set(cx + x, cy + y, lit);
        }
}

void rivets_at_corners(canvas& c, skingen_rect r, int inset, float radius, colour metal, bool screw) {
    rivet(c, r.x + inset, r.y + inset, radius, metal, screw);
    rivet(c, r.x + r.w - inset, r.y + inset, radius, metal, screw);
    rivet(c, r.x + inset, r.y + r.h - inset, radius, metal, screw);
    rivet(c, r.x + r.w - inset, r.y + r.h - inset, radius, metal, screw);
}

// Digits of a 3 x 5 face for buttons too low for the text font.
constexpr std::array<const char*, 10> mini_digits{"111101101101111", "010110010010111", "111001111100111",
                                                  "111001111001111", "101101111001001", "111100111001111",
                                                  "111100111101111", "111001001010010", "111101111101111",
                                                  "111101111001111"};

// Ink level (0..1) of the heading face of the text font at cell pixel (k, r) of character ch.
float font_level(const unsigned char* font, char ch, int k, int r) {
    int code = static_cast<unsigned char>(ch);
    if (code < 32 || k < 0 || k > 8 || r < 0 || r > 11) return 0;
    size_t column = static_cast<size_t>((code - 32) * 9 + 1 + k);
    size_t row = static_cast<size_t>(14 + r);
    return static_cast<float>(font[row * 2048 + column]) / 255.0f;
}

// A mask of text: the heading face scaled by factor, or the mini digits; returns its width and height.
struct text_mask {
    int w = 0, h = 0;
    std::vector<float> a;
    float at(int x, int y) const {
        return x < 0 || y < 0 || x >= w || y >= h ? 0.0f : a[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
    }
};

text_mask make_text(const unsigned char* font, const std::string& text, int factor, bool mini) {
    text_mask m;
    if (mini) {
        m.w = static_cast<int>(text.size()) * 4 - 1;
        m.h = 5;
        m.a.assign(static_cast<size_t>(m.w * m.h), 0.0f);
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '9') continue;
            const char* g = mini_digits[static_cast<size_t>(text[i] - '0')];
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 3; ++x)
                    if (g[y * 3 + x] == '1') m.a[static_cast<size_t>(y * m.w + static_cast<int>(i) * 4 + x)] = 1.0f;
        }
        return m;
    }
    // Glyph ink sits in cell columns 1..8 and rows 1..8 (capitals and digits).
    int n = static_cast<int>(text.size());
    m.w = (n * 9 - 1) * factor;
    m.h = 8 * factor;
    m.a.assign(static_cast<size_t>(m.w * m.h), 0.0f);
    for (int i = 0; i < n; ++i)
        for (int r = 1; r <= 8; ++r)
            for (int k = 1; k <= 8; ++k) {
                float v = font_level(font, text[static_cast<size_t>(i)], k, r) > 0 ? 1.0f : 0.0f;
                for (int sy = 0; sy < factor; ++sy)
                    for (int sx = 0; sx < factor; ++sx) {
                        int x = (i * 9 + k - 1) * factor + sx, y = (r - 1) * factor + sy;
                        m.a[static_cast<size_t>(y * m.w + x)] = v;
                    }
            }
    return m;
}

// Paints a button label centred in r: a dark drop shadow, then the letters; returns the inked box.
skingen_rect draw_label(canvas& c, const unsigned char* font, const skingen_button& b, colour ink, colour shade) {
    bool mini = b.rect.h < 12;
    text_mask m = make_text(font, b.label, 1, mini);
    int x0 = b.rect.x + (b.rect.w + 1 - m.w) / 2, y0 = b.rect.y + (b.rect.h + 1 - m.h) / 2;
    int x_lo = 1 << 20, y_lo = 1 << 20, x_hi = -1, y_hi = -1;
    auto mark = [&](int x, int y) {
        x_lo = std::min(x_lo, x);
        y_lo = std::min(y_lo, y);
        x_hi = std::max(x_hi, x);
        y_hi = std::max(y_hi, y);
    };
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            if (m.at(x, y) > 0 && m.at(x - 1, y - 1) == 0) {
                c.blend(x0 + x + 1, y0 + y + 1, shade, 0.8f);
                mark(x0 + x + 1, y0 + y + 1);
            }
        }
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            if (m.at(x, y) <= 0) continue;
            float lit = 1.0f - 0.35f * static_cast<float>(y) / static_cast<float>(m.h);
            c.set(x0 + x, y0 + y, scale(ink, lit));
            mark(x0 + x, y0 + y);
        }
    return {x_lo, y_lo, x_hi - x_lo, y_hi - y_lo};
}

// Large letters pressed into the surface: light lower-right rim, dark upper-left rim, filled face.
void stamp(canvas& c, const unsigned char* font, const std::string& text, int cx, int y0, int factor, colour face,
           float face_alpha, colour glow, float glow_alpha) {
    text_mask m = make_text(font, text, factor, false);
    int x0 = cx - m.w / 2;
    if (glow_alpha > 0) {
        // A soft halo: the mask spread by a box blur.
        int r = 4;
        for (int y = -r; y < m.h + r; ++y)
            for (int x = -r; x < m.w + r; ++x) {
                float sum = 0;
                for (int dy = -r; dy <= r; ++dy)
                    for (int dx = -r; dx <= r; ++dx) sum += m.at(x + dx, y + dy);
                float a = sum / static_cast<float>((2 * r + 1) * (2 * r + 1));
                if (a > 0) c.set(x0 + x, y0 + y, add(c.get(x0 + x, y0 + y), scale(glow, a * glow_alpha)));
            }
    }
    for (int y = -1; y <= m.h; ++y)
        for (int x = -1; x <= m.w; ++x) {
            if (m.at(x, y) > 0) {
                c.blend(x0 + x, y0 + y, face, face_alpha);
            } else if (m.at(x - 1, y - 1) > 0) {
                c.blend(x0 + x, y0 + y, colour{255, 240, 220}, 0.22f);
            } else if (m.at(x + 1, y + 1) > 0) {
                c.darken(x0 + x, y0 + y, 0.45f);
            }
        }
}

// ---- the 'grunge' look ----

// Worn plate without the screen's vignette: mottled steel, brushed streaks, rust with drips, grime.
colour grunge_surface(int x, int y, uint32_t seed) {
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    float n = fbm(fx / 110, fy / 110, seed, 5);
    colour base = mix(colour{50, 47, 44}, colour{104, 97, 88}, n);
    float streak = value_noise(fx / 45, fy / 1.7f, seed + 2) - 0.5f;
    float grain = hash(x, y, seed + 1) - 0.5f;
    base = add(base, colour{streak * 14 + grain * 9, streak * 13 + grain * 9, streak * 12 + grain * 9});
    float r = fbm(fx / 75 + 13, fy / 75, seed + 3, 5);
    float drip = value_noise(fx / 5, fy / 50, seed + 4);
    float m = smooth(0.54f, 0.7f, r + 0.14f * drip - 0.05f);
    colour rust = mix(colour{86, 36, 16}, colour{158, 82, 32}, fbm(fx / 9, fy / 9, seed + 5, 3));
    colour col = mix(base, rust, m * 0.9f);
    float grime = fbm(fx / 32, fy / 32, seed + 6, 4);
    return scale(col, 1.0f - 0.4f * smooth(0.45f, 0.8f, grime));
}

colour grunge_metal(int x, int y, uint32_t seed) {
    float dx = (static_cast<float>(x) - 400) / 420, dy = (static_cast<float>(y) - 300) / 330;
    return scale(grunge_surface(x, y, seed), 1.0f - 0.38f * (dx * dx + dy * dy));
}

void scratches(canvas& c, uint32_t seed, int count, colour light) {
    for (int i = 0; i < count; ++i) {
        uint32_t s = seed + static_cast<uint32_t>(i) * 7u;
        float x = hash(i, 1, s) * skingen_width, y = hash(i, 2, s) * skingen_height;
        float angle = (hash(i, 3, s) - 0.5f) * 0.9f + (hash(i, 4, s) < 0.2f ? 1.3f : 0.0f);
        float len = 5 + hash(i, 5, s) * 38;
        float a = 0.12f + hash(i, 6, s) * 0.25f;
        for (float t = 0; t < len; t += 0.7f) {
            int px = static_cast<int>(x + std::cos(angle) * t), py = static_cast<int>(y + std::sin(angle) * t);
            float fade = std::sin(3.14159f * t / len);
            c.blend(px, py, light, a * fade);
            c.blend(px, py + 1, colour{0, 0, 0}, a * fade * 0.5f);
        }
    }
}

void paint_grunge(canvas& c, const skingen_skin& s, const unsigned char* font, std::array<skingen_rect, 11>& ink) {
    const skingen_layout l = skingen_layout_of(s);
    const colour amber{236, 168, 58}, amber_dim{120, 72, 22}, plate{88, 82, 74};
    c.each({0, 0, skingen_width - 1, skingen_height - 1}, [&](int x, int y, colour) { return grunge_metal(x, y, s.seed); });
    scratches(c, s.seed + 40, 520, colour{205, 195, 180});

    // Side consoles behind the buttons: recessed trays with rivets.
    auto tray = [&](skingen_rect r) {
        c.each(r, [&](int, int, colour k) { return scale(k, 0.55f); });
        bevel(c, r, 3, 0.55f, 1.5f, false);
        outline(c, grow(r, 1), colour{0, 0, 0}, 0.5f);
        rivets_at_corners(c, r, 5, 2.3f, plate, false);
    };
    tray({24, 31, 110, 86});
    tray({661, 31, 110, 86});
    tray({3, 124, 133, 35});
    tray({659, 124, 133, 35});

    // Menu panel: a thick raised rim, an amber hairline, the dark inside.
    skingen_rect rim = grow(l.panel, 7);
    c.each(rim, [&](int, int, colour k) { return scale(k, 1.25f); });
    bevel(c, rim, 3, 1.45f, 0.45f, false);
    bevel(c, grow(l.panel, 2), 2, 0.5f, 1.3f, true);
    outline(c, grow(rim, 1), colour{0, 0, 0}, 0.6f);
    c.each(l.panel, [&](int x, int y, colour) {
        float n = fbm(static_cast<float>(x) / 40, static_cast<float>(y) / 40, s.seed + 9, 3);
        return colour{9 + 6 * n, 8 + 5 * n, 7 + 4 * n};
    });
    outline(c, grow(l.panel, 1), amber_dim, 0.9f);
    rivets_at_corners(c, rim, 3, 2.2f, plate, false);
    // The note-bar well: black, with dim segments of an unlit meter in every bar's slot.
    c.fill(l.well, colour{0, 0, 0});
    outline(c, l.well, colour{60, 38, 14}, 1.0f);
    for (int b = 0; b < 40; ++b)
        for (int y = 133 + s.bar_shift; y <= 147 + s.bar_shift; y += 2)
            for (int x = 158 + 12 * b; x <= 168 + 12 * b; ++x) c.set(x, y, colour{22, 13, 5});

    // Amber signal lamps on the rims.
    for (int x : {236, 564}) lamp(c, x, rim.y + 3, amber);

    // The stamped name between the panel and the reading plate.
    stamp(c, font, "THE KESTRAVON", 400, 162, 2, colour{170, 110, 40}, 0.55f, colour{}, 0);

    // Text window: black, the band framed by an amber hairline; the scroll-bar groove beside it.
    skingen_rect frame{l.window.x - 6, l.window.y - 6, l.track.x + l.track.w + 6 - (l.window.x - 6), l.window.h + 12};
    c.each(frame, [&](int, int, colour k) { return scale(k, 1.2f); });
    bevel(c, frame, 4, 1.45f, 0.45f, false);
    outline(c, grow(frame, 1), colour{0, 0, 0}, 0.6f);
    rivets_at_corners(c, frame, 3, 2.0f, plate, false);
    for (int x : {64, 736}) lamp(c, x, frame.y + 3, amber);
    c.fill(grow(l.window, 1), colour{4, 3, 2});
    c.fill(l.window, colour{0, 0, 0});
    outline(c, {17, s.band_top - 3, l.window.w - 2, s.band_bottom - s.band_top + 6}, amber_dim, 1.0f);
    c.fill(grow(l.track, 1), colour{4, 3, 2});
    c.each(l.track, [&](int x, int y, colour) {
        float n = hash(x, y, s.seed + 11) * 4;
        return colour{16 + n, 14 + n, 12 + n};
    });
    bevel(c, l.track, 2, 0.4f, 1.6f, true);
    for (int y = l.track.y + 8; y < l.track.y + l.track.h - 4; y += 19) {
        c.set(l.track.x + 2, y, amber_dim);
        c.set(l.track.x + l.track.w - 2, y, amber_dim);
    }

    // Hazard stripes along the foot, worn through to the metal.
    for (int y = 585; y <= 594; ++y)
        for (int x = 12; x <= 787; ++x) {
            bool stripe = ((x + y) / 9) % 2 == 0;
            float wear = fbm(static_cast<float>(x) / 14, static_cast<float>(y) / 5, s.seed + 12, 3);
            if (wear > 0.62f) continue;
            c.blend(x, y, stripe ? colour{206, 142, 34} : colour{16, 14, 12}, 0.85f);
        }
    bevel(c, {11, 584, 777, 11}, 1, 1.4f, 0.4f, true);

    // Buttons: a socket, a raised face of brighter plate, stencilled amber labels.
    for (size_t i = 1; i <= 10; ++i) {
        const skingen_rect r = s.buttons[i].rect;
        outline(c, grow(r, 1), colour{0, 0, 0}, 0.85f);
        outline(c, grow(r, 2), colour{0, 0, 0}, 0.35f);
        c.each(r, [&](int x, int y, colour) {
            colour m = grunge_surface(x + 2000, y, s.seed + 20);
            float ramp = 1.2f - 0.45f * static_cast<float>(y - r.y) / static_cast<float>(r.h);
            return scale(mix(m, colour{96, 88, 76}, 0.45f), ramp);
        });
        bevel(c, r, 2, 1.7f, 0.4f, false);
        ink[i] = draw_label(c, font, s.buttons[i], amber, colour{0, 0, 0});
    }
}

// ---- the 'carbon' look ----

colour carbon_weave(int x, int y, uint32_t seed) {
    const int tow = 6;
    int cx = x / tow, cy = y / tow;
    float fx = static_cast<float>(x % tow) / tow, fy = static_cast<float>(y % tow) / tow;
    bool across = ((cx + cy) / 2) % 2 == 0;  // a 2 x 2 twill: the pattern steps one tow per row
    float round = std::sin(3.14159f * (across ? fy : fx));
    float fibre = hash(across ? y : x, across ? x / 9 : y / 9, seed) * 0.18f;
    float v = 0.25f + 0.6f * round + fibre;
    float xf = static_cast<float>(x), yf = static_cast<float>(y);
    float sheen = std::exp(-((xf * 0.55f - yf + 40) / 230) * ((xf * 0.55f - yf + 40) / 230)) * 0.55f;
    float cloud = fbm(xf / 160, yf / 160, seed + 1, 3) * 0.3f;
    colour dark{8, 10, 13}, lit{62, 70, 84};
    colour col = mix(dark, lit, clamp01(v * (0.75f + sheen + cloud)));
    float dx = (xf - 400) / 430, dy = (yf - 300) / 340;
    return scale(col, 1.0f - 0.42f * (dx * dx + dy * dy));
}

colour brushed_steel(int x, int y, uint32_t seed) {
    float xf = static_cast<float>(x), yf = static_cast<float>(y);
    float streak = value_noise(xf / 70, yf / 0.9f, seed) * 0.6f + value_noise(xf / 9, yf / 0.6f, seed + 1) * 0.4f;
    float band = 0.5f + 0.5f * std::sin(xf / 90 + yf / 40);
    return mix(colour{72, 82, 98}, colour{160, 174, 194}, clamp01(0.25f + 0.45f * streak + 0.25f * band));
}

void paint_carbon(canvas& c, const skingen_skin& s, const unsigned char* font, std::array<skingen_rect, 11>& ink) {
    const skingen_layout l = skingen_layout_of(s);
    const colour glow{70, 160, 255}, glow_dim{30, 70, 130}, ice{205, 228, 255};
    c.each({0, 0, skingen_width - 1, skingen_height - 1}, [&](int x, int y, colour) { return carbon_weave(x, y, s.seed); });

    auto steel = [&](skingen_rect r, int edge) {
        c.each(r, [&](int x, int y, colour) { return brushed_steel(x, y, s.seed + 5); });
        bevel(c, r, edge, 1.35f, 0.45f, false);
        outline(c, grow(r, 1), colour{0, 0, 0}, 0.7f);
    };
    auto glow_line = [&](skingen_rect r) {
        outline(c, grow(r, 1), glow, 0.25f);
        outline(c, r, glow, 0.9f);
        outline(c, grow(r, -1), glow_dim, 0.5f);
    };

    // Side rails holding the buttons.
    for (skingen_rect r : {skingen_rect{14, 38, 98, 90}, skingen_rect{687, 38, 98, 90}}) {
        steel(r, 2);
        c.each(grow(r, -4), [&](int, int, colour k) { return scale(k, 0.45f); });
        bevel(c, grow(r, -4), 2, 0.5f, 1.4f, true);
        rivets_at_corners(c, r, 3, 1.6f, colour{150, 162, 180}, true);
    }
    for (skingen_rect r : {skingen_rect{8, 131, 125, 20}, skingen_rect{660, 131, 125, 20}}) {
        steel(r, 2);
        c.each(grow(r, -3), [&](int, int, colour k) { return scale(k, 0.4f); });
    }

    // Menu panel: a steel rim with a blue glow line round the dark glass.
    skingen_rect rim = grow(l.panel, 7);
    steel(rim, 3);
    bevel(c, grow(l.panel, 2), 2, 0.45f, 1.3f, true);
    c.each(l.panel, [&](int x, int y, colour) {
        float t = static_cast<float>(y - l.panel.y) / static_cast<float>(l.panel.h);
        float n = hash(x, y, s.seed + 8) * 2;
        return colour{6 + n, 8 + n + 4 * (1 - t), 13 + n + 8 * (1 - t)};
    });
    glow_line(grow(l.panel, 1));
    rivets_at_corners(c, rim, 3, 1.8f, colour{150, 162, 180}, true);
    c.fill(l.well, colour{0, 0, 0});
    outline(c, l.well, glow_dim, 0.8f);
    for (int b = 0; b < 40; ++b)
        for (int y = 133 + s.bar_shift; y <= 147 + s.bar_shift; y += 2)
            for (int x = 158 + 12 * b; x <= 168 + 12 * b; ++x) c.set(x, y, colour{6, 14, 26});

    stamp(c, font, "THE KESTRAVON", 400, 162, 2, colour{190, 220, 255}, 0.85f, glow, 0.55f);

    // Text window in a steel frame; the band framed by a blue hairline; the groove of the scroll bar.
    skingen_rect frame{l.window.x - 6, l.window.y - 6, l.track.x + l.track.w + 4 - (l.window.x - 6), l.window.h + 12};
    steel(frame, 3);
    rivets_at_corners(c, frame, 3, 1.6f, colour{150, 162, 180}, true);
    c.fill(grow(l.window, 1), colour{2, 3, 5});
    c.fill(l.window, colour{0, 0, 0});
    glow_line({17, s.band_top - 3, l.window.w - 2, s.band_bottom - s.band_top + 6});
    c.fill(grow(l.track, 1), colour{2, 3, 5});
    c.each(l.track, [&](int x, int, colour) { return colour{10, 14, 22 + static_cast<float>(std::abs(x - l.track.x - 7))}; });
    bevel(c, l.track, 2, 0.4f, 1.7f, true);
    for (int y = l.track.y + 8; y < l.track.y + l.track.h - 4; y += 19) c.set(l.track.x + 7, y, glow_dim);

    // A steel strip along the foot with a row of status lights.
    steel({14, 585, 771, 9}, 1);
    for (int x = 40; x < 770; x += 24) {
        c.set(x, 589, glow);
        c.set(x + 1, 589, glow);
        c.blend(x, 590, glow, 0.5f);
        c.blend(x + 1, 590, glow, 0.5f);
    }

    // Buttons: steel caps with a blue edge and icy labels.
    for (size_t i = 1; i <= 10; ++i) {
        const skingen_rect r = s.buttons[i].rect;
        outline(c, grow(r, 1), colour{0, 0, 0}, 0.9f);
        c.each(r, [&](int x, int y, colour) {
            float t = static_cast<float>(y - r.y) / static_cast<float>(std::max(1, r.h));
            return scale(mix(brushed_steel(x, y, s.seed + 7), colour{40, 50, 66}, 0.55f), 1.1f - 0.4f * t);
        });
        bevel(c, r, 1, 1.7f, 0.5f, false);
        outline(c, grow(r, 2), glow_dim, 0.55f);
        ink[i] = draw_label(c, font, s.buttons[i], ice, colour{0, 0, 0});
    }
}

}  // namespace

void skingen_paint(const skingen_skin& skin, const unsigned char* font, std::vector<float>& rgb,
                   std::array<skingen_rect, 11>& label_ink) {
    rgb.assign(static_cast<size_t>(skingen_width) * skingen_height * 3, 0.0f);
    canvas c{rgb};
    label_ink = {};
    if (skin.look == "carbon") {
        paint_carbon(c, skin, font, label_ink);
    } else {
        paint_grunge(c, skin, font, label_ink);
    }
    // A black rim round the screen (its last pixel is what lets the emitter end on a zero byte).
    outline(c, {0, 0, skingen_width - 1, skingen_height - 1}, colour{0, 0, 0}, 1.0f);
    for (float& v : rgb) v = std::clamp(v, 0.0f, 255.0f);
}

// ---- palette reduction ----

namespace {

struct bin {
    uint32_t key = 0;
    double count = 0, r = 0, g = 0, b = 0;
};

int channel_of(uint32_t key, int axis) { return static_cast<int>((key >> (12 - 6 * axis)) & 63u); }

}  // namespace

std::vector<unsigned char> skingen_quantize(const std::vector<float>& rgb) {
    const size_t pixels = static_cast<size_t>(skingen_width) * skingen_height;
    auto q6 = [](float v) { return static_cast<uint32_t>(std::clamp(static_cast<int>(v) >> 2, 0, 63)); };
    auto is_black = [&](size_t i) { return rgb[i * 3] == 0 && rgb[i * 3 + 1] == 0 && rgb[i * 3 + 2] == 0; };

    // Histogram of 6-bit colours; pure black is kept out, it has its own entry.
    std::vector<bin> bins(1u << 18);
    for (size_t i = 0; i < pixels; ++i) {
        if (is_black(i)) continue;
        uint32_t key = q6(rgb[i * 3]) << 12 | q6(rgb[i * 3 + 1]) << 6 | q6(rgb[i * 3 + 2]);
        bin& b = bins[key];
        b.key = key;
        b.count += 1;
        b.r += static_cast<double>(rgb[i * 3]);
        b.g += static_cast<double>(rgb[i * 3 + 1]);
        b.b += static_cast<double>(rgb[i * 3 + 2]);
    }
    std::vector<bin> used;
    for (const bin& b : bins)
        if (b.count > 0) used.push_back(b);

    // Median cut: split the box whose longest side, weighted by its pixels, is largest.
    struct box {
        size_t from, to;  // range of used
    };
    std::vector<box> boxes;
    if (!used.empty()) boxes.push_back({0, used.size()});
    auto extent = [&](const box& bx, int& axis) {
        int best = -1;
        for (int a = 0; a < 3; ++a) {
            int lo = 64, hi = -1;
            for (size_t i = bx.from; i < bx.to; ++i) {
                lo = std::min(lo, channel_of(used[i].key, a));
                hi = std::max(hi, channel_of(used[i].key, a));
            }
            if (hi - lo > best) {
                best = hi - lo;
                axis = a;
            }
        }
        return best;
    };
    while (boxes.size() < 255) {
        double best_score = 0;
        size_t pick = boxes.size();
        int pick_axis = 0;
        for (size_t k = 0; k < boxes.size(); ++k) {
            if (boxes[k].to - boxes[k].from < 2) continue;
            int axis = 0;
            int e = extent(boxes[k], axis);
            double count = 0;
            for (size_t i = boxes[k].from; i < boxes[k].to; ++i) count += used[i].count;
            double score = static_cast<double>(e) * std::sqrt(count);
            if (e > 0 && score > best_score) {
                best_score = score;
                pick = k;
                pick_axis = axis;
            }
        }
        if (pick == boxes.size()) break;
        box bx = boxes[pick];
        auto first = used.begin() + static_cast<std::ptrdiff_t>(bx.from), last = used.begin() + static_cast<std::ptrdiff_t>(bx.to);
        std::sort(first, last, [&](const bin& a, const bin& b) { return channel_of(a.key, pick_axis) < channel_of(b.key, pick_axis); });
        double total = 0, half = 0;
        for (size_t i = bx.from; i < bx.to; ++i) total += used[i].count;
        size_t cut = bx.from + 1;
        for (size_t i = bx.from; i < bx.to - 1; ++i) {
            half += used[i].count;
            cut = i + 1;
            if (half >= total / 2) break;
        }
        boxes[pick] = {bx.from, cut};
        boxes.push_back({cut, bx.to});
    }

    std::vector<unsigned char> out(static_cast<size_t>(skingen_stored_bytes), 0);
    std::vector<std::array<float, 3>> palette(1, {0, 0, 0});
    for (const box& bx : boxes) {
        double n = 0, r = 0, g = 0, b = 0;
        for (size_t i = bx.from; i < bx.to; ++i) {
            n += used[i].count;
            r += used[i].r;
            g += used[i].g;
            b += used[i].b;
        }
        auto byte = [&](double v) { return static_cast<unsigned char>(std::clamp(static_cast<int>(std::lround(v / n)), 0, 255)); };
        unsigned char pr = byte(r), pg = byte(g), pb = byte(b);
        if (pr == 0 && pg == 0 && pb == 0) pb = 1;  // only index 0 is pure black
        size_t k = palette.size();
        out[k * 3] = pr;
        out[k * 3 + 1] = pg;
        out[k * 3 + 2] = pb;
        palette.push_back({static_cast<float>(pr), static_cast<float>(pg), static_cast<float>(pb)});
    }

    // Map with a light ordered dither so the gradients do not band; a cache per 7-bit colour.
    static constexpr std::array<int, 16> bayer{0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};
    std::vector<int16_t> cache(1u << 21, -1);
    for (size_t i = 0; i < pixels; ++i) {
        if (is_black(i)) continue;
        int x = static_cast<int>(i % skingen_width), y = static_cast<int>(i / skingen_width);
        float d = (static_cast<float>(bayer[static_cast<size_t>((y & 3) * 4 + (x & 3))]) / 16.0f - 0.47f) * 5.0f;
        std::array<int, 3> q{};
        for (size_t ch = 0; ch < 3; ++ch) q[ch] = std::clamp(static_cast<int>(rgb[i * 3 + ch] + d) >> 1, 0, 127);
        size_t key = static_cast<size_t>(q[0] << 14 | q[1] << 7 | q[2]);
        if (cache[key] < 0) {
            float best = 1e30f;
            int16_t pick = 0;
            for (size_t k = 0; k < palette.size(); ++k) {
                float dr = palette[k][0] - static_cast<float>(q[0] * 2 + 1), dg = palette[k][1] - static_cast<float>(q[1] * 2 + 1),
                      db = palette[k][2] - static_cast<float>(q[2] * 2 + 1);
                float dist = dr * dr * 0.9f + dg * dg * 1.2f + db * db * 0.7f;
                if (dist < best) {
                    best = dist;
                    pick = static_cast<int16_t>(k);
                }
            }
            cache[key] = pick;
        }
        out[768 + i] = static_cast<unsigned char>(cache[key]);
    }
    return out;
}

// ---- the C++ emitter ----

std::string skingen_emit_cpp(const std::vector<std::vector<unsigned char>>& images) {
    std::string s;
    s += "// The skin pictures, generated by skingen from content/skins at build time: edit the parameters.\n";
    s += "#include \"content/skins/skin_data.h\"\n\n";
    s += "#if defined(__GNUC__)\n#pragma GCC diagnostic ignored \"-Woverlength-strings\"\n#endif\n\n";
    s += "// Each picture is one string literal, which compiles far faster than a list of numbers; its last\n";
    s += "// byte (the black bottom-right pixel, index 0) is the literal's terminating zero.\n";
    s += "const unsigned char skin_images[skin_count][skin_image_bytes] = {\n";
    static const char digits[] = "01234567";
    for (const std::vector<unsigned char>& image : images) {
        bool as_literal = !image.empty() && image.back() == 0;
        size_t n = as_literal ? image.size() - 1 : image.size();
        if (!as_literal) {
            s += "    {";
            for (size_t i = 0; i < n; ++i) {
                s += std::to_string(static_cast<unsigned>(image[i]));
                s += (i + 1) % 40 == 0 ? ",\n" : ",";
            }
            s += "},\n";
            continue;
        }
        s += "    \"";
        for (size_t i = 0; i < n; ++i) {
            unsigned char c = image[i];
            if (c >= 32 && c <= 126 && c != '"' && c != '\\' && c != '?') {
                s += static_cast<char>(c);
            } else {
                s += '\\';
                s += digits[(c >> 6) & 7];
                s += digits[(c >> 3) & 7];
                s += digits[c & 7];
            }
            if ((i + 1) % 2000 == 0 && i + 1 < n) s += "\"\n    \"";
        }
        s += "\",\n";
    }
    s += "};\n";
    return s;
}

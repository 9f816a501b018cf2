// Skin generator: reads the skin parameters and paints the two magazine backgrounds procedurally.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int skingen_width = 800, skingen_height = 600;                     // the screen
constexpr int skingen_stored_bytes = 768 + skingen_width * skingen_height;  // palette, then indices

// A rectangle as the magazine's boxes take it: columns x..x+w and rows y..y+h, both ends included.
struct skingen_rect {
    int x = 0, y = 0, w = -1, h = -1;
};

// A side button: the label painted on it and the rectangle the magazine tints and hit-tests.
struct skingen_button {
    std::string label;
    skingen_rect rect;
};

// One skin's parameters: the look to paint and every place the magazine's code draws over.
struct skingen_skin {
    std::string name, look;
    uint32_t seed = 1;
    std::array<skingen_button, 11> buttons;  // 1..10; 0 unused
    int band_top = 0, band_bottom = 0;       // text rows of the window
    int ticker_y = 0, bar_shift = 0;
    int thumb_x = 0, thumb_w = 0, zone_shift = 0;
};

// Where the picture puts its parts, derived from the parameters (the tests and the preview use it too).
struct skingen_layout {
    skingen_rect window;       // black text window
    skingen_rect track;        // scroll-bar groove under the drag zone
    skingen_rect panel;        // dark inside of the menu panel
    skingen_rect well;         // recess of the note bars
    skingen_rect ticker;       // strip the ticker scrolls through
};

// Computes the layout of a skin.
skingen_layout skingen_layout_of(const skingen_skin& skin);

// Parses the parameter source; on failure returns false with error "<name>:<line>: <what is wrong>".
bool skingen_parse(std::string_view source, std::string_view name, std::vector<skingen_skin>& skins,
                   std::string& error);

// Reads and parses the parameter file at path for the painter and the preview; on failure prints
// "<tool>: cannot read <path>" or the parse error and returns false.
bool skingen_parse_file(const char* path, const char* tool_name, std::vector<skingen_skin>& skins);

// Paints a skin in full colour (800 x 600 x r,g,b floats 0..255) and reports, per button, the box
// its label's pixels cover. font is the text font data (sheet, then palette). Called by the build step.
void skingen_paint(const skingen_skin& skin, const unsigned char* font, std::vector<float>& rgb,
                   std::array<skingen_rect, 11>& label_ink);

// Reduces a painted picture to the stored form (256 x r,g,b, then one index per pixel). Pure black
// pixels become index 0, which is kept black.
std::vector<unsigned char> skingen_quantize(const std::vector<float>& rgb);

// Renders the stored pictures as the C++ source defining skin_images.
std::string skingen_emit_cpp(const std::vector<std::vector<unsigned char>>& images);

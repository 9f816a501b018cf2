// The intro: the opening scene (bars, stars, big-font lines, sine scroller) over the C64 tunes, with the
// function keys switching tunes and Escape or a click leading on to the magazine.
//
// Sections: state - sequence and tune control (intro_sequence.cpp) - effects (intro_effects.cpp) -
// text and scroller (intro_text.cpp)
#pragma once
#include <array>
#include <cstdint>
#include <string>

// ---- state --------------------------------------------------------------------------------------

constexpr int intro_star_count = 300;
constexpr int intro_glyph_size = 32;
constexpr int intro_sheet_width = 1888;
constexpr int intro_scroll_chars = 28;  // characters the scroller draws at most

struct intro_star {
    double x, y;
};

struct intro_state_t {
    uint32_t current_tune;  // 1 to 12 while the intro plays
    double step;            // previous frame's duration in seconds x 250
    double phase;           // sum of all previous frame durations in seconds x 50
    // scroller
    double scroll_position;
    int32_t scroll_index;  // 1-based index of the first character shown; 0 shows nothing
    double pause_deadline;
    // stars 1 to 300: 1..100 far, 101..200 middle, 201..300 near
    std::array<intro_star, intro_star_count + 1> stars;
    // big font: the sheet widened to 32-bit palette indices, the palette as 0x00RRGGBB, and per sheet
    // column a mask of its ink rows (bit r = row r), which the glyph passes walk instead of every cell
    std::array<uint32_t, intro_sheet_width * intro_glyph_size> big_font_sheet;
    std::array<uint32_t, 256> big_font_palette;
    std::array<uint32_t, intro_sheet_width> big_font_ink;
    // per-frame tables (update_intro_tables)
    std::array<int32_t, 801> wave_upright;
    std::array<int32_t, 801> wave_reflection;
    std::array<uint32_t, 631> line_gradient;
    std::array<uint32_t, 631> scroller_gradient;
    std::array<uint32_t, 631> reflection_gradient;
    // texts (build_intro_texts): lines 1 to 9, and the scroll text
    std::array<std::string, 10> lines;
    std::string scroll_text;
    // frames the intro loop has drawn (for tests and the benchmark's bookkeeping)
    uint64_t frames_drawn;
};

// All of the intro's state; zero at program start.
extern intro_state_t intro_state;

// ---- sequence and tune control ------------------------------------------------------------------

// The whole intro: release wait, opening noise, the scene with its tunes until Escape or a click, then
// the closing noise with the music stopped. Called once by the main sequence after the display opens.
void run_intro();
// Stops the SID player and, for tune 1 to 12, starts that tune's file and song and resumes playback;
// any other number leaves the player stopped. Called by run_intro.
void select_intro_tune(int32_t tune);
// Presents black frames while Escape is down (or pressed since its last poll) or the left button is
// held, then one more; keeps a press from before the intro from ending it. Called by run_intro.
void intro_release_wait();
// M struck: the music silent or back (the tune plays on). Every frame of the scene.
void intro_mute_key();
// The file (1..12, in the stored order) and zero-based song of intro tune n; file 0 for n outside 1..12.
struct intro_tune_row {
    int32_t file;
    uint8_t song;
};
intro_tune_row intro_tune(int32_t tune);

// ---- effects ------------------------------------------------------------------------------------

// Scatters the 300 stars over columns 0..800 and rows 22..492. Called once before the opening noise.
void init_stars();
// Draws every star where it is and moves it right by its layer's speed x step, wrapping past 800.
void draw_stars();
// Draws the fourteen blue bars for the current phase, pair by pair.
void draw_blue_bars();
// One bar: 32 full-width rows from row y brightening by s per row to the middle and fading after it;
// rows at 600 or below the frame are not drawn.
void draw_bar_band(int32_t s, int32_t y);
// Overwrites the whole frame with the background: blue gradient on rows 1..50, black elsewhere.
void draw_intro_background();
// Half a second of random colour bands 10 rows high (coarse) or 2 rows high (fine), each screen presented.
void noise_burst_coarse();
void noise_burst_fine();

// ---- text and scroller --------------------------------------------------------------------------

// Builds the nine title lines and the scroll text; once at start-up, before the intro.
void build_intro_texts();
// Widens the big font sheet, converts its palette and finds each column's ink rows; once, before the scene.
void build_big_font();
// Recomputes the two wave tables and the three gradients from the phase; once per frame.
void update_intro_tables();
// Draws the nine title lines, each centred.
void draw_intro_lines();
// Draws text centred on column 400 with its top at row y; characters without a glyph are skipped.
void draw_centred_line(const std::string& text, int32_t y);
// One embossed glyph (sheet column g) at (x, y): shadow, highlight, then ink in the line gradient.
void draw_big_glyph(int32_t g, int32_t x, int32_t y);
// Moves the scroller by step (at most 5 pixels, none while paused) and draws it.
void draw_scroller();
// Draws up to 28 characters of text on the wave from column x; "a" draws as a blank cell.
void draw_scroller_text(const std::string& text, int32_t x);
// One glyph on the wave with its upside-down, fading reflection below.
void draw_wave_glyph(int32_t g, int32_t x);
// Sheet column of the glyph for character ch (its upper-case form), or -1 when it has none.
int32_t big_glyph_column(char ch);

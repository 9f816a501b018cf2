// Skins and music: the two skin backgrounds, the four background tunes, the status ticker and the
// note bars that jump with the heard notes.
#pragma once
#include <cstdint>

#include "content/modules/tune_data.h"
#include "content/skins/skin_data.h"

// Turns both stored pictures (palette then indices; 'Grunge' first) into 0x00RRGGBB palettes and
// widened indices. Start-up step 6.
void build_skin_images(const unsigned char (*images)[skin_image_bytes]);
// Paints columns sx..sx+w and rows sy..sy+h (inclusive) of both pictures through their palettes into
// both background buffers at (tx, ty); the part outside the picture or the frame is skipped. Start-up.
void render_skin_backgrounds(int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t tx, int32_t ty);
// Copies the current skin's background over the whole framebuffer. First step of every frame body.
void copy_skin_background();

// Builds the five ticker lines from the tunes' titles and composers (tunes[1..4]). Start-up step 4.
void build_ticker_lines(const magazine_tune* tunes);
// Records the data and byte length of tunes[1..4]. Start-up step 11.
void record_tunes(const magazine_tune* tunes);
// Sets both note-bar gradients. Start-up step 9.
void set_note_bar_gradients();
// Creates the note bars and puts every bar at rest. Start-up step 10.
void reset_note_bars();

// Stops and frees the current module, loads tune k (1..4) and plays it; keeps its channel count.
void start_tune(int32_t k);
// The F1/F2 keys: F1 struck picks 'Grunge', then F2 struck picks 'Carbon'. Start of handle_buttons.
void handle_skin_keys();
// Buttons 6 to 10: music off/on and the four tunes. Inside handle_buttons after buttons 1 to 5.
void handle_music_buttons();

// Draws the ticker's 58 characters and moves it one pixel on. Every frame.
void draw_ticker();
// Pushes the bars under the notes heard now. Every frame while the music is on.
void update_note_bars();
// Lets the bars fall back and draws them. Every frame while the music is on, after update_note_bars.
void draw_note_bars();

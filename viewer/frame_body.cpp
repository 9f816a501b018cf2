// The drawing half of a magazine frame, in the order the frame loop draws it.
#include "viewer/frame_body.h"

#include "viewer/menus.h"
#include "viewer/page_viewer.h"
#include "viewer/skins_music.h"
#include "viewer/viewer_state.h"

void draw_frame_body() {
    copy_skin_background();
    draw_buttons();
    draw_menu();
    draw_page_rules();
    draw_page_text();
    if (viewer_state.button_state[6] == 0) {
        update_note_bars();
        draw_note_bars();
    }
    draw_ticker();
}

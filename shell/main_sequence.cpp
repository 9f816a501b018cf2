// The main sequence: start-up in order, the intro, the magazine, shutdown in order.
#include "shell/main_sequence.h"

#include <cstdio>
#include <string>

#include "content/modules/tune_data.h"
#include "content/pages/page_data.h"
#include "content/skins/skin_data.h"
#include "intro/intro.h"
#include "platform/display_backend.h"
#include "platform/system.h"
#include "render/display.h"
#include "render/framebuffer.h"
#include "render/text.h"
#include "shell/magazine/content_store.h"
#include "shell/frame_loop.h"
#include "shell/options.h"
#include "shell/magazine/pointer.h"
#include "shell/magazine/program_data.h"
#include "shell/magazine/shell_state.h"
#include "viewer/menus.h"
#include "viewer/skins_music.h"
#include "viewer/viewer_state.h"
#include "xm/xm_player.h"

namespace {
constexpr const char* window_title = "The Kestravon - Issue 31";
}

void magazine_start_up() {
    shell_state = shell_state_t{};
    viewer_state = viewer_state_t{};
    program_data_rewind();
    create_content_tables();
    fill_page_tables(page_sources);
    load_page(11);
    build_ticker_lines(magazine_tunes);
    build_intro_texts();
    set_menu_strings();
    build_skin_images(skin_images);
    build_glyph_colours();
    build_pointer_images();
    set_note_bar_gradients();
    shell_state.wheel_prev = 0.0;
    shell_state.wheel_now = 0.0;
    read_button_table();
    reset_note_bars();
    record_tunes(magazine_tunes);
}

void magazine_enter() {
    start_tune(1);
    clear_framebuffer(0);
    render_skin_backgrounds(0, 0, 799, 599, 0, 0);
}

int kestravon_main(int argc, const char* const* argv) {
    kestravon_options options;
    std::string error;
    if (!parse_options(argc, argv, options, error)) {
        std::fprintf(stderr, "kestravon: %s\n", error.c_str());
        return 2;
    }
    if (options.help || options.version) {
        if (options.help) print_help(stdout);
        else print_version(stdout);
        return 0;
    }
    if (options.text_page != 0) {
        // Only the tables: no window, no sound.
        create_content_tables();
        fill_page_tables(page_sources);
        set_menu_strings();
        print_pages(options.text_page, stdout);
        // A reader piping the text on must learn when it did not all arrive (a full disk, a closed pipe).
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            std::fprintf(stderr, "kestravon: the text could not be written to standard output\n");
            return 1;
        }
        return 0;
    }

    quit_signals_install();
    magazine_start_up();

    display_set_close_on_escape(0);
    // Full screen without a question; --window asks for a framed window instead.
    display_configure(0, "THE KESTRAVON PREVIEW\rFULL SCREEN?", options.windowed, options.windowed ? 0 : 1);
    if (!display_open(window_title, screen_width, screen_height)) {
        const char* why = display_backend_failure();
        std::fprintf(stderr, "kestravon: cannot open the 800 x 600 display%s%s\n", why[0] ? ": " : "", why);
        display_close();
        return -1;
    }
    display_backend_show_cursor(0);

    run_intro();

    // A close request or quit signal during the intro ends the program without showing the magazine.
    if (!display_quit_requested()) {
        magazine_enter();
        run_magazine_loop();
    }

    xm_stop();
    xm_free();
    display_close();
    return 0;
}

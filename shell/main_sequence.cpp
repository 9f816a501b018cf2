// The main sequence: start-up in order, the running screens, shutdown in order.
#include "shell/main_sequence.h"

#include "platform/display_backend.h"
#include "render/display.h"
#include "render/framebuffer.h"
#include "render/text.h"
#include "shell/pointer.h"
#include "shell/program_data.h"
#include "shell/shell_state.h"
#include "shell/test_card.h"

shell_state_t shell_state;

namespace {
constexpr const char* window_title = "The Kestravon - Issue 31";
}

int kestravon_main() {
    shell_state = shell_state_t{};
    program_data_rewind();
    build_glyph_colours();
    build_pointer_images();

    display_set_close_on_escape(0);
    display_configure(0, "THE KESTRAVON PREVIEW\rFULL SCREEN?", 0, 1);
    if (!display_open(window_title, screen_width, screen_height)) return -1;
    display_backend_show_cursor(0);

    run_test_card();

    display_close();
    return 0;
}

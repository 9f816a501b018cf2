// The intro alone in a real window: opens the display as the main sequence does, runs the intro with
// the stand-in tunes and ends with exit code 0 when it returns (-1 when the display cannot open).
#include "intro/intro.h"
#include "platform/display_backend.h"
#include "render/display.h"
#include "render/framebuffer.h"

int main() {
    build_intro_texts();
    display_set_close_on_escape(0);
    display_configure(0, "THE KESTRAVON PREVIEW\rFULL SCREEN?", 0, 1);
    if (!display_open("The Kestravon - Intro", screen_width, screen_height)) return -1;
    display_backend_show_cursor(0);
    run_intro();
    display_close();
    return 0;
}

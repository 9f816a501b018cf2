// The viewer's state and the small lookups every viewer file takes from it: the current skin's slot and
// the side-button hit test.
#include "viewer/viewer_state.h"

#include "shell/magazine/shell_state.h"

viewer_state_t viewer_state;

int skin_slot() { return shell_state.current_skin == 2 ? 1 : 0; }

bool pointer_in_button(int32_t i) {
    if (i < 1 || i > side_button_count) return false;
    const button_rect_t& r = viewer_state.button_rect[static_cast<size_t>(skin_slot())][static_cast<size_t>(i)];
    const auto& s = shell_state;
    return r.x < s.mouse_x && s.mouse_x < r.x + r.w && r.y < s.mouse_y && s.mouse_y < r.y + r.h;
}

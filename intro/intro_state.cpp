// The intro's one state record, on its own so that the drawing routines link without the tunes.
#include "intro/intro.h"

intro_state_t intro_state;

// The one instance of the shell state.
#include "shell/magazine/shell_state.h"

shell_state_t shell_state;

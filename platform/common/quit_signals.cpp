// The process's quit signals (Ctrl+C in a terminal, a session logging out): noted here, handed to the
// display as a close request by the message pump, acted on by the frame loops through the normal shutdown.
#include <csignal>

#include "platform/system.h"

namespace {
volatile std::sig_atomic_t quit_signal_seen = 0;

extern "C" void note_quit_signal(int) { quit_signal_seen = 1; }
}  // namespace

void quit_signals_install() {
    quit_signal_seen = 0;
    std::signal(SIGINT, note_quit_signal);
    std::signal(SIGTERM, note_quit_signal);
}

bool quit_signal_take() {
    if (quit_signal_seen == 0) return false;
    quit_signal_seen = 0;
    return true;
}

// Clock, sleep, random numbers, threads and the message box: the small system services the engine uses.
#pragma once
#include <cstdint>

// Process clock in seconds, sub-millisecond resolution. The headless backend returns virtual time.
double timer_seconds();

// Sleeps the calling thread for ms milliseconds (0 yields). The headless backend advances virtual time.
void sleep_ms(int ms);

// Seeds the random source; called once at the start of the intro.
void random_seed(uint32_t seed);
// Uniform random number in [0, 1).
double random01();

// A thread of the system, started by thread_start.
struct system_thread;
using thread_entry = void (*)(void* arg);
// Starts entry(arg) on a new thread; nullptr when no thread can be made.
system_thread* thread_start(thread_entry entry, void* arg);
// Raises the thread to the highest priority the OS grants without privileges; false when none was granted.
bool thread_raise_priority(system_thread* thread);
// Waits for the thread to end and releases it. Safe with nullptr.
void thread_join(system_thread* thread);

// Shows a modal message box with the caption and text (the only message the program ever shows).
void show_message_box(const char* caption, const char* text);

// Routes the interrupt and terminate signals to the display's message pump instead of ending the process
// at once: the next pump delivers them as a close request. Called once at start-up.
void quit_signals_install();
// True once for each arrival of an interrupt or terminate signal; the backends' message pumps ask.
bool quit_signal_take();

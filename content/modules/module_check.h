// Every background tune is checked at build time as the magazine will play it: loaded by the module
// player, one pass of its order list measured, its opening mixed. A tune is composed here in code or is
// an .xm file saved by a tracker and kept in content/modules.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "content/modules/tunes.h"

struct xm_song;

// What the check found out about a module.
struct module_report {
    int channels = 0;
    double seconds = 0.0;  // one pass of the order list, up to where it loops back
    int peak = 0;          // largest 16-bit value in the mixed opening
};

// Seconds of one pass of the song's order list as the player plays it (speed and BPM changes, breaks,
// jumps, pattern loops and delays), up to the first move back to an earlier order position; at most
// limit_seconds. Leaves the song prepared for mixing from its start.
double module_pass_seconds(xm_song* song, double limit_seconds = 1800.0);

// Loads the module bytes through the player, measures one pass and mixes up to the first
// mix_seconds of it. False with error "<name>: <what is wrong>" when the player rejects the module, its
// order list is empty or it plays only silence.
bool module_check(const std::vector<uint8_t>& bytes, const std::string& name, module_report& report,
                  std::string& error, double mix_seconds = 20.0);

// The bytes of a background tune: composed, or read from source_dir/<tune.source_file>; then checked
// with module_check. False with error naming the file (or the tune) when it cannot be read or fails.
bool module_tune_bytes(const module_tune& tune, const std::string& source_dir, std::vector<uint8_t>& bytes,
                       module_report& report, std::string& error);

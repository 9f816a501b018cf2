// The twelve intro tunes, in their stored order (file 1 first): each composed in code or, for music
// made elsewhere, a PSID file in content/tunes/ taken as it is.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "content/tunes/sid_music.h"
#include "content/tunes/tune_writer.h"

// One file of the intro: a composition, or the name of a .sid file in content/tunes/.
struct intro_tune_source {
    sid_tune (*compose)(); // null for a file
    const char* sid_file;  // null for a composition
};

// Files 1 to 12; entry 0 is empty. The intro plays file 2 song 1, file 4 song 11 and file 6 songs 0 and 1.
extern const intro_tune_source intro_tune_sources[13];

// The composed tunes, each a function of its own; compose_small_hours is in small_hours.cpp.
sid_tune compose_small_hours();

// A tune with the shared bank, the intro's composer in its credits, and each plan as a song; a plan
// that cannot be written or repeats in less than a minute stops the build with a message.
sid_tune intro_tune_from_plans(const std::string& name, const std::vector<tune_plan>& plans);

// The bytes of a PSID tune made elsewhere, checked to load and play through the SID player: every
// song's init and 30 s of play calls return within the player's bound and sound. Empty with error
// (naming the file) when the file cannot be read or is not such a tune.
std::vector<uint8_t> intro_tune_from_file(const std::string& path, std::string& error);
// The same check on bytes already read: "" when they play, else what is wrong.
std::string intro_tune_check(const std::vector<uint8_t>& bytes);

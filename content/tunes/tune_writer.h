// The intro tunes' composing helpers: a song written as sections of chords and rhythms, turned into
// the player's patterns and order lists, with the melodies drawn from a motif over the chords.
//
// A song is a form over named sections. Every section has one chord a bar and says what each voice
// does over them: voice 1 bass and drums (a 16-tick rhythm a bar), voice 2 the accompaniment (chord
// arpeggios, or a part under the lead: the melody as the source of a hard-synced lead, held fifths
// under a ring-modulated one), voice 3 the melody. A melody is either written out in notation or
// drawn from the section's rhythm and seed: a motif of scale steps, landing on chord tones on strong
// beats, repeated in the first and third phrase and answered in the second and fourth, each phrase
// closing on a long chord tone.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "content/tunes/sid_music.h"

// Instrument numbers of the shared bank (intro_tune_bank), the same in every tune.
// clang-format off
enum : int {
    ins_kick, ins_snare, ins_hat, ins_bass, ins_arp_minor, ins_arp_major, ins_lead, ins_lead_saw, ins_lead_tri,
    ins_arp_sus, ins_arp_m7, ins_arp_maj7, ins_bass_saw, ins_open_hat, ins_lead_soft, ins_organ, ins_arp_dom7,
    ins_arp_dim, ins_arp_power, ins_sync_lead, ins_sync_source, ins_ring_lead, ins_drone, ins_sample_kick,
    ins_sample_snare, ins_bell, ins_lead_bright, ins_bass_pluck, ins_bank_size
};
// clang-format on

// The instruments every intro tune carries (drums, basses, chord arpeggios, leads, sync and ring).
std::vector<sid_instrument> intro_tune_bank();

// One section as written once; a form may play it several times.
struct tune_section {
    char name = 'A';
    std::string chords{};                  // one a bar: "Am F C G7"; kinds m, 7, m7, M7, sus, dim, 5
    std::string bass = "KxoxSxoxKxoxSxox"; // a bar: K kick, S snare, H hat, O open hat, x root,
                                           // o octave, f fifth, . hold, - rest
    std::string fill{};                    // the last bar's rhythm; empty: as bass
    std::string comp = "x.x.x.x.x.x.x.x."; // a bar of chord arpeggios (x . -), or "sync", "ring", "rest"
    std::string rhythm{};                  // the melody's rhythm for four bars (64 characters: x . -)
    std::string melody{};                  // a written melody in notation instead (voice 3 as is)
    uint32_t seed = 1;                     // picks the motif
    int lead = ins_lead;                   // instrument of a drawn melody
    int low = 57, high = 76;               // range of a drawn melody (note indices, C4 = 48)
    int shift = 0;                         // semitones the whole section sounds higher (key changes)
};

// A whole song: key, speed, sections and the order they play in.
struct tune_plan {
    std::string key = "A minor"; // tonic and mode: major, minor, dorian, mixolydian, harmonic
    uint8_t speed = 6;           // frames per tick; 16 ticks a bar
    std::vector<tune_section> sections{};
    std::string form{};               // section names in playing order, e.g. "IABACB"
    size_t loop_to = 1;               // where in form the song returns to after its end
    uint8_t resonance_routing = 0xA2; // $D417: voice 2 through a resonant filter by default
    uint8_t mode_volume = 0x1C;       // $D418: low-pass, volume 12
    uint8_t cutoff_min = 0x10, cutoff_max = 0x60;
    int8_t cutoff_speed = 1;
    bool drum_samples = false; // kick and snare through the sample channel
};

// clang-format off
// Melody rhythms of four bars (16 ticks each) that the tunes draw on: x a note, . hold, - rest.
inline constexpr const char* rhythm_eighths = "x.x.x.x.x...x.x.x.x.x...x.......x.x.x.x.x...x.x.x...x...x.......";
inline constexpr const char* rhythm_syncopated = "x..x..x.x..x..x.x.......x.x.x...x..x..x.x..x..x.x.......x.......";
inline constexpr const char* rhythm_slow = "x.......x...x...x...............x.......x...x...x.......x.......";
inline constexpr const char* rhythm_runs = "x.xxx.x.x.xxx.x.x.x.x.x.x.......x.xxx.x.x.xxx.x.x.x.x...x.......";
inline constexpr const char* rhythm_dotted = "x.....x.x...x...x.....x.x.......x.....x.x...x...x...x...x.......";
inline constexpr const char* rhythm_pickup = "--x.x.x.x...x.x.x.......--x.x.x.x.x.x.x.x...x.x.x...x...x.......";
inline constexpr const char* rhythm_calls = "x.x.x.--x.x.x.--x.x.x.x.x.......x.x.x.--x.x.x.--x.x.x...x.......";
inline constexpr const char* rhythm_march = "x..xx...x..xx...x.x.x.x.x.......x..xx...x..xx...x.x.x.x.x.......";
inline constexpr const char* rhythm_floating = "x...............x.......x.......x...........x...x...............";
// clang-format on

// Appends the plan's patterns (identical ones shared) to the tune and its song to the tune's songs.
// On a mistake returns false with error naming the section and what is wrong.
bool tune_write_song(sid_tune& tune, const tune_plan& plan, std::string& error);

// Seconds a plan plays from its loop point to its end (the period after which it repeats).
double tune_plan_loop_seconds(const tune_plan& plan);

// The 4-bit drum samples of a tune whose plan uses drum_samples: 1 kick, 2 snare.
std::vector<sid_sample> tune_drum_samples();

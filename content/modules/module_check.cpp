// The build-time check of a background tune: load, measure and mix it through the module player.
#include "content/modules/module_check.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "tools/toolkit/tool_io.h"
#include "tools/xmwriter/xmwriter.h"
#include "xm/xm_mixer.h"
#include "xm/xm_player.h"
#include "xm/xm_state.h"

double module_pass_seconds(xm_song* song, double limit_seconds) {
    if (song == nullptr || !xm_prepare_song(song)) return 0.0;
    const auto limit = static_cast<uint64_t>(limit_seconds * xm_mix_rate);
    uint64_t frames = 0;
    while (frames < limit) {
        // A row tick that moves to an order position at or before the current one starts the next pass.
        if (frames > 0 && song->tick_counter == 0 && song->next_order_position >= 0 &&
            song->next_order_position <= song->order_position) {
            break;
        }
        song->tick_function(song);
        frames += static_cast<uint64_t>(std::max(song->samples_per_tick, 1));
    }
    const double seconds = static_cast<double>(frames) / xm_mix_rate;
    xm_prepare_song(song);
    return seconds;
}

bool module_check(const std::vector<uint8_t>& bytes, const std::string& name, module_report& report,
                  std::string& error, double mix_seconds) {
    report = {};
    if (bytes.size() < 80 || std::memcmp(bytes.data(), "Extended Module: ", 17) != 0) {
        error = name + ": not an XM module (too short, or no \"Extended Module: \" identifier)";
        return false;
    }
    if (!xm_load_from_memory(bytes.data(), bytes.size())) {
        error = name + ": the module player rejects it (more than 32 channels, 256 patterns, 128 instruments "
                       "or 16 samples in an instrument)";
        return false;
    }
    xm_song* song = xm_player_state.current_song;
    report.channels = song->channel_count;
    bool ok = true;
    if (song->song_length < 1 || song->channel_count < 1) {
        error = name + ": empty order list or no channels";
        ok = false;
    }
    if (ok) {
        report.seconds = module_pass_seconds(song);
        auto& st = xm_player_state;
        const double seconds = std::min(mix_seconds, report.seconds);
        const auto blocks = static_cast<int>(seconds * xm_mix_rate / st.block_frames) + 1;
        const size_t values = static_cast<size_t>(st.block_frames) * 2;
        for (int b = 0; b < blocks; ++b) {
            const int16_t* pcm = st.ring.data() + static_cast<size_t>(st.write_block) * values;
            xm_mix_block();
            for (size_t i = 0; i < values; ++i) report.peak = std::max(report.peak, std::abs(static_cast<int>(pcm[i])));
        }
        xm_stop_song(song);
        if (report.peak == 0) {
            error = name + ": plays only silence through the module player";
            ok = false;
        }
    }
    xm_free();
    return ok;
}

bool module_tune_bytes(const module_tune& tune, const std::string& source_dir, std::vector<uint8_t>& bytes,
                       module_report& report, std::string& error) {
    std::string name = tune.title;
    if (tune.source_file != nullptr) {
        name = source_dir + "/" + tune.source_file;
        std::string reason;
        if (!tool_read_bytes(name.c_str(), bytes, reason, size_t{16} << 20)) {
            error = reason;
            return false;
        }
    } else if (tune.compose != nullptr) {
        bytes = xmw_build(tune.compose().module);
    } else {
        error = name + ": neither composed nor a file";
        return false;
    }
    return module_check(bytes, name, report, error);
}

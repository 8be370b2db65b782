#include "tools/pulvax-run/run_tracks.h"

#include "shared/track_access.h"
#include "shared/track_table.h"

const track_option track_options[key_count] = {
    {"--ref-x", label_ref_x},
    {"--ref-y", label_ref_y},
    {"--period", label_period},
    {"--period-div", label_period_div},
    {"--bpm", label_bpm_x10},
    {"--stretch-frames", label_stretch_frames},
    {"--start-frame", label_start_frame},
};

bool find_track_positions(const FILTER& record, int positions[key_count], std::string& error) {
    for (int k = 0; k < key_count; k++) {
        positions[k] = track_position_in(record, track_options[k].label);
        if (positions[k] < 0) {
            error = std::string("the module has no track for ") + track_options[k].option;
            return false;
        }
    }
    return true;
}

std::string bpm_text(int bpm_x10) {
    const char* sign = bpm_x10 < 0 ? "-" : "";
    const long long a = bpm_x10 < 0 ? -static_cast<long long>(bpm_x10) : bpm_x10;
    return sign + std::to_string(a / 10) + "." + std::to_string(a % 10);
}

bool check_track_range(const FILTER& fp, int key, int position, long long value, std::string& error) {
    const int lo = fp.track_s[position], hi = fp.track_e[position];
    if (value >= lo && value <= hi) return true;
    error = std::string(track_options[key].option) + " must be between " +
            (key == key_bpm ? bpm_text(lo) : std::to_string(lo)) + " and " +
            (key == key_bpm ? bpm_text(hi) : std::to_string(hi));
    return false;
}

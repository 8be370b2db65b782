// The track options: option names and the track labels they set, found in
// the module's filter record by label.
#pragma once

#include <string>

#include "host/filter_api.h"
#include "shared/track_table.h"

// In the order of the filter's tracks.
enum track_key {
    key_ref_x = track_ref_x,
    key_ref_y = track_ref_y,
    key_period = track_period,
    key_period_div = track_period_div,
    key_bpm = track_bpm_x10,  // beats per minute times ten
    key_stretch_frames = track_stretch_frames,
    key_start_frame = track_start_frame,
    key_count = track_n
};

struct track_option {
    const char* option;  // as on the command line
    const char* label;   // the track's label in the record, Shift-JIS bytes
};

extern const track_option track_options[key_count];

// Position of every option's track in the record, by label (byte for byte).
// False with a message when a label is missing.
bool find_track_positions(const FILTER& record, int positions[key_count], std::string& error);

// "--period must be between 1 and 10000" style check of a value for an option.
bool check_track_range(const FILTER& fp, int key, int position, long long value, std::string& error);

// bpm*10 as beats per minute with one decimal, e.g. 1285 -> "128.5".
std::string bpm_text(int bpm_x10);

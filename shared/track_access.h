// Reading a filter record's tracks: the one lookup of a label among the
// record's track labels and the one clamp of a value to its track's range.
// read_track and the tools that drive a loaded module all go through these.
#pragma once

#include "host/filter_api.h"

// The position of the track whose label is these bytes (compared byte by
// byte) among the first track_n labels of the record; -1 when there is none.
// Where several tracks have it, the last, the one track_index keeps.
int track_position_in(const FILTER& record, const char* label);

// The value of the track at position, clamped to the record's range: first
// raised to track_s, then lowered to track_e.
int clamp_track(const FILTER& fp, int position);

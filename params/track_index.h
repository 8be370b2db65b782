// Finding tracks by label, and reading them clamped to their range.
#pragma once

#include <map>
#include <string>

#include "host/filter_api.h"

// Label (as a byte string, compared byte by byte) to track position.
extern std::map<std::string, int> track_index;

// Empties track_index and enters every track label of the module's filter
// record with its position.
void build_track_index();

// The current value of the track with this label, clamped to its range. A label
// that is not in track_index shows an error box owned by the filter window and
// reads as 0.
int read_track(const char* label, FILTER* fp);

// Finding tracks by label, and reading them clamped to their range.
#pragma once

#include <map>
#include <string>

#include "host/filter_api.h"

// Label (as a byte string, compared byte by byte) to track position.
extern std::map<std::string, int> track_index;

// Empties track_index and enters every label of the track table (the labels
// the filter record hands to the editor) with its position.
void build_track_index();

// How read_track shows its error box: MessageBoxA's shape. The host layer
// points it at the platform's box when the editor takes the filter record;
// while it is null a missing label only reads as 0.
extern int (*track_message_box)(HWND owner, const char* text, const char* caption, UINT type);

// The position of the track with this label in track_index; -1 when it has
// none.
int track_position(const char* label);

// The current value of the track with this label, clamped to its range. A label
// that is not in track_index shows an error box owned by the filter window and
// reads as 0.
int read_track(const char* label, FILTER* fp);

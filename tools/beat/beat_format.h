// The found beat as text for a terminal, and as one JSON object.
#pragma once

#include <string>

#include "tools/beat/beat_editor.h"
#include "tools/beat/find_beat.h"

// What the user needs, for a video at fps_num / fps_den frames per second:
// tempo (one decimal and full precision), first beat, the track values to
// type into the editor, confidence, and the x2 and /2 alternatives.
std::string format_beat_text(const beat_result& result, const beat_editor_values& values, int fps_num,
                             int fps_den);

// The same as one JSON object on one line (with a final newline): bpm,
// first_beat_s, confidence, bpm_x10, start_frame, period, period_div,
// frames_per_beat, fps, and the alternatives as double / half objects.
std::string format_beat_json(const beat_result& result, const beat_editor_values& values, int fps_num,
                             int fps_den);

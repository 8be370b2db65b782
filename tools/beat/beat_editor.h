// A found beat as the filter's track values.
#pragma once

#include "tools/beat/find_beat.h"

struct beat_editor_values {
    int bpm_x10 = 0;        // "bpm*10": the tempo rounded to one decimal, times ten (1..10000)
    int start_frame = 0;    // "開始F": the frame of the beat before the first one (at or before frame 0), -300..300
    int period = 0;         // "周期": frames per beat times period_div, rounded (1..10000)
    int period_div = 0;     // "周期div": 100 (hundredths of a frame) unless a beat is longer than 100 frames
    double frames_per_beat = 0;   // unrounded
    double first_beat_frame = 0;  // the beat start_frame holds, on the frame scale, unrounded
};

// Track values for a video at fps_num / fps_den frames per second (both
// positive), with the beat moved later by nudge_ms milliseconds (earlier when
// negative). All values 0 for a result without a tempo or a rate that is not
// positive.
beat_editor_values beat_for_editor(const beat_result& result, int fps_num, int fps_den, double nudge_ms);

#include "tools/beat/beat_editor.h"

#include <math.h>

#include <algorithm>

#include "shared/track_table.h"

namespace {

// The tracks' ranges, from the filter's own table.
const int start_frame_min = track_s[track_start_frame], start_frame_max = track_e[track_start_frame];
const int period_min = track_s[track_period], period_max = track_e[track_period];
const int period_div_max = track_e[track_period_div];
const int bpm_x10_min = track_s[track_bpm_x10], bpm_x10_max = track_e[track_bpm_x10];

}  // namespace

beat_editor_values beat_for_editor(const beat_result& result, int fps_num, int fps_den, double nudge_ms) {
    beat_editor_values v;
    if (!(result.bpm > 0) || fps_num <= 0 || fps_den <= 0) return v;
    double fps = double(fps_num) / fps_den;
    v.frames_per_beat = fps * 60 / result.bpm;
    v.bpm_x10 = int(std::max(double(bpm_x10_min), std::min(double(bpm_x10_max), floor(result.bpm * 10 + 0.5))));
    v.period_div = period_div_max;
    while (v.period_div > 1 && v.frames_per_beat * v.period_div > period_max + 0.5) --v.period_div;
    v.period = int(std::max(double(period_min), std::min(double(period_max), floor(v.frames_per_beat * v.period_div + 0.5))));

    // The filter counts its beat cycle from the start frame and repeats it,
    // so any beat of the grid gives the same cycle. It bounces in the last
    // phases of each cycle, leading into the beat that starts the next one,
    // and frames before the start frame pass unchanged: a start on the first
    // beat would leave that beat without its bounce. So the start frame is
    // the last beat at or before frame 0 (rounded to a frame), the beat just
    // before the first one; every beat of the video then gets its bounce.
    // Beats longer than 300 frames take the first beat instead, to stay in
    // the track's range.
    double first = (result.first_beat_s + nudge_ms / 1000) * fps;
    double fpb = v.frames_per_beat;
    first -= floor((first + 0.5) / fpb) * fpb;  // the earliest beat at or after frame 0: [-0.5, fpb - 0.5)
    if (floor(first + 0.5) > 0) first -= fpb;
    if (first < start_frame_min - 0.5) first += fpb;
    first = std::max(start_frame_min - 0.5, std::min(start_frame_max + 0.49, first));
    v.first_beat_frame = first;
    v.start_frame = int(floor(first + 0.5));
    return v;
}

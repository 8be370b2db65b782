#include "tools/beat/beat_editor.h"

#include <math.h>

#include <algorithm>

namespace {

const int start_frame_min = -300, start_frame_max = 300;
const int period_max = 10000;
const int bpm_x10_max = 10000;

}  // namespace

beat_editor_values beat_for_editor(const beat_result& result, int fps_num, int fps_den, double nudge_ms) {
    beat_editor_values v;
    double fps = double(fps_num) / fps_den;
    v.frames_per_beat = fps * 60 / result.bpm;
    v.bpm_x10 = int(std::max(1.0, std::min(double(bpm_x10_max), floor(result.bpm * 10 + 0.5))));
    v.period_div = 100;
    while (v.period_div > 1 && v.frames_per_beat * v.period_div > period_max + 0.5) --v.period_div;
    v.period = int(std::max(1.0, std::min(double(period_max), floor(v.frames_per_beat * v.period_div + 0.5))));

    // The filter starts its cycle on the start frame and repeats it, so any
    // beat of the grid gives the same cycle; the track holds -300..300. The
    // start frame takes the beat nearest the (nudged) first beat that fits:
    // the period is rounded to 1/period_div frame and that error adds up
    // from the start frame on, so starting near the song's start keeps the
    // drift over the song smallest.
    double first = (result.first_beat_s + nudge_ms / 1000) * fps;
    if (first - v.frames_per_beat >= -0.5) {
        // Nudged later, the beat before the first one can come at or after frame 0.
        first -= floor((first + 0.5) / v.frames_per_beat) * v.frames_per_beat;
    }
    if (first < start_frame_min - 0.5) first += ceil((start_frame_min - 0.5 - first) / v.frames_per_beat) * v.frames_per_beat;
    if (first >= start_frame_max + 0.5) first -= ceil((first - start_frame_max - 0.5) / v.frames_per_beat) * v.frames_per_beat;
    // Beats longer than 600 frames (below 1 fps x 10) need not fit: the nearest bound then.
    first = std::max(start_frame_min - 0.5, std::min(start_frame_max + 0.49, first));
    v.first_beat_frame = first;
    v.start_frame = int(floor(first + 0.5));
    return v;
}

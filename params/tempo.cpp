#include "params/tempo.h"

#include <stdint.h>

#include "params/track_index.h"
#include "shared/frame_rate_cache.h"
#include "shared/track_table.h"

int prev_period = -1;
int prev_period_div = -1;
int prev_bpm_x10 = -1;

// Products and quotients are formed in 64 bits, so every frame rate gives the
// true truncated quotient; a result beyond a track value's 32 bits saturates.
static int saturate(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int>(v);
}

// numerator / divisor, or fallback when the divisor is 0.
static int quotient(int64_t numerator, int64_t divisor, int fallback) {
    if (divisor == 0) return fallback;
    return saturate(numerator / divisor);
}

void reconcile_tempo(FILTER* fp) {
    const int period_pos = track_position(label_period);
    const int period_div_pos = track_position(label_period_div);
    const int bpm_pos = track_position(label_bpm_x10);

    int period = read_track(label_period, fp);
    int period_div = read_track(label_period_div, fp);
    const int stretch_frames = read_track(label_stretch_frames, fp);
    int bpm_x10 = read_track(label_bpm_x10, fp);

    const int64_t rate = last_video_rate < 1 ? 1 : last_video_rate;
    const int64_t scale = last_video_scale < 1 ? 1 : last_video_scale;

    if (period != prev_period || period_div != prev_period_div) {
        bpm_x10 = quotient(rate * period_div * 600, scale * period, bpm_x10);
    } else if (bpm_x10 != prev_bpm_x10 && bpm_x10 != 0) {
        period = saturate(rate * 60000 / (scale * bpm_x10));
        period_div = 100;
    }

    const int64_t shortest = 4 * static_cast<int64_t>(stretch_frames) * period_div + 1;
    if (period < shortest) {
        period = saturate(shortest);
        bpm_x10 = quotient(rate * period_div * 600, shortest * scale, bpm_x10);
    }

    if (period_pos >= 0) fp->track[period_pos] = period;
    if (period_div_pos >= 0) fp->track[period_div_pos] = period_div;
    if (bpm_pos >= 0) fp->track[bpm_pos] = bpm_x10;

    prev_period = period;
    prev_period_div = period_div;
    prev_bpm_x10 = bpm_x10;

    if (fp->exfunc && fp->exfunc->filter_window_update) fp->exfunc->filter_window_update(fp);
}

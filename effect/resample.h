// One resampling pass: every pixel of the w x h output picture from the
// bilinear sample at (ref + (x - ref) * factor) of the source picture.
#pragma once

#include "host/filter_api.h"

struct resample_job {
    const PIXEL_YC* src;
    PIXEL_YC* dst;
    int w;
    int h;
    int pitch;  // row pitch of both buffers, in pixels
    int ref_x;
    int ref_y;
    double x_factor;
    double y_factor;
};

// The definition: one sample_bilinear call per output pixel, row by row.
void resample_reference(const resample_job& job);

// The pass of phase 1 to 4 (as frame_phase gives it) about (ref_x, ref_y),
// from src into dst, both w x h with rows pitch pixels apart.
resample_job phase_job(const PIXEL_YC* src, PIXEL_YC* dst, int w, int h, int pitch, int ref_x,
                       int ref_y, int phase);

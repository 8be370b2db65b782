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

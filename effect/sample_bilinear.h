// Bilinear sampling of the editor's YCbCr picture, clamped at its borders.
#pragma once

#include "host/filter_api.h"

// One pixel interpolated at (src_x, src_y) from a w x h picture whose rows lie
// stride pixels apart. Requires w >= 1 and h >= 1; reads only the four pixels
// it blends.
PIXEL_YC sample_bilinear(const PIXEL_YC* source, int w, int h, int stride, double src_x,
                         double src_y);

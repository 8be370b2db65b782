// 8-bit RGB <-> 8-bit video-range YCbCr (ITU-R BT.601), in integers, for still
// images, the built-in clip and the contact sheet.
#pragma once

#include <stdint.h>

#include "tools/pulvax-run/y4m.h"

void rgb_to_ycbcr(int r, int g, int b, uint8_t& y, uint8_t& cb, uint8_t& cr);
void ycbcr_to_rgb(int y, int cb, int cr, uint8_t& r, uint8_t& g, uint8_t& b);

// A w x h RGB picture (3 bytes a pixel, rows packed) to one frame of planes in
// f's layout (f.w == w, f.h == h); subsampled chroma is the rounded mean of
// its block.
void rgb_to_planes(const y4m_format& f, const uint8_t* rgb, uint8_t* planes);

// The tool's conversion between 8-bit YCbCr (video range, as in YUV4MPEG2
// streams) and the editor's PIXEL_YC samples.
//
// Per sample:  y  = round((Y  - 16)  * 4096 / 219)    Y  = round(y  * 219 / 4096) + 16
//              cb = round((Cb - 128) * 4096 / 224)    Cb = round(cb * 224 / 4096) + 128
// (cr as cb; round = to nearest, halves up; 8-bit results clamped to 0..255).
// Both scales exceed 1, so every 8-bit value comes back exactly.
//
// Subsampled chroma (4:2:0, 4:2:2): each chroma sample is given to every pixel
// of its block (2x2 or 2x1); back, the block's per-pixel samples are averaged
// (rounded to nearest, halves up) before conversion. A block of equal samples
// averages to itself, so a frame the filter leaves unchanged comes back
// byte-identical.
#pragma once

#include <stdint.h>

#include "host/filter_api.h"
#include "tools/pulvax-run/y4m.h"

// Division rounded toward minus infinity, and to nearest with halves up (d > 0).
int floor_div(int n, int d);
int round_div(int n, int d);

// v clamped to 0..255.
uint8_t clamp_byte(int v);

int16_t luma_to_yc(int luma);
int16_t chroma_to_yc(int chroma);
uint8_t yc_to_luma(int y);
uint8_t yc_to_chroma(int c);

// One frame of planes (frame_bytes(f) bytes) to f.w x f.h samples whose rows lie
// pitch samples apart, and back.
void planes_to_yc(const y4m_format& f, const uint8_t* planes, PIXEL_YC* out, int pitch);
void yc_to_planes(const y4m_format& f, const PIXEL_YC* in, int pitch, uint8_t* planes);

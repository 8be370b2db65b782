// The tool's conversion between YCbCr samples of depth d (8 to 16 bits, as in
// YUV4MPEG2 streams and decoded video) and the editor's PIXEL_YC samples,
// where black..white is y 0..4096 and the chroma excursion cb, cr -2048..2048.
//
// Each plane kind has an offset and a span (the samples from black to white,
// or across the chroma excursion); k = 2^(d-8):
//
//              video range (default)          full range (XCOLORRANGE=FULL)
//   luma       offset 16*k,   span 219*k      offset 0,         span 2^d - 1
//   chroma     offset 128*k,  span 224*k      offset 2^(d-1),   span 2^d - 1
//
//   to the editor:  s = round((v - offset) * 4096 / span)
//   back:           v = round(s * span / 4096) + offset, clamped to 0..2^d-1
//
// (round = to nearest, halves up, in exact integer arithmetic.) Up to 12 bits
// the span is below 4096, so every sample value comes back exactly. Deeper
// samples keep 12 significant bits through the filter; frames the filter
// leaves unchanged are written as they were read, whatever the depth.
//
// Subsampled chroma: each chroma sample is given to every pixel of its block
// (2x2 for 4:2:0, 2x1 for 4:2:2, 4x1 for 4:1:1, cut at the right and bottom
// edges of odd sizes); back, the block's per-pixel samples are averaged
// (rounded to nearest, halves up) before conversion. A block of equal samples
// averages to itself. Mono pictures have cb = cr = 0, and their chroma is
// dropped on the way back.
#pragma once

#include <stdint.h>

#include "host/filter_api.h"
#include "tools/pulvax-run/y4m.h"

// Division rounded toward minus infinity, and to nearest with halves up (d > 0).
long long floor_div(long long n, long long d);
long long round_div(long long n, long long d);

// v clamped to 0..255.
uint8_t clamp_byte(int v);

struct sample_scale {
    int offset;
    int span;
    int max;  // 2^d - 1
};

sample_scale luma_scale(int depth, bool full_range);
sample_scale chroma_scale(int depth, bool full_range);

// v may exceed 2^d - 1 in malformed input; the result saturates at the
// int16 limits.
int16_t sample_to_yc(const sample_scale& s, int v);
int yc_to_sample(const sample_scale& s, int yc);

// 8-bit video range, for the generated pictures and the contact sheet.
int16_t luma_to_yc(int luma);
int16_t chroma_to_yc(int chroma);
uint8_t yc_to_luma(int y);
uint8_t yc_to_chroma(int c);

// One frame of planes (frame_bytes(f) bytes) to f.w x f.h samples whose rows lie
// pitch samples apart, and back.
void planes_to_yc(const y4m_format& f, const uint8_t* planes, PIXEL_YC* out, int pitch);
void yc_to_planes(const y4m_format& f, const PIXEL_YC* in, int pitch, uint8_t* planes);

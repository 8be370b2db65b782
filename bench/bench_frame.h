// A 1920 x 1080 picture of random samples and the resampling jobs of the four
// phases on it, shared by the benchmark and the timing mode.
#pragma once

#include <vector>

#include "effect/resample.h"

enum { bench_w = 1920, bench_h = 1080, bench_ref_x = 960, bench_ref_y = 540 };

struct bench_frame {
    std::vector<PIXEL_YC> src;
    std::vector<PIXEL_YC> dst;
};

// Fills src with pseudo-random samples over the whole 16-bit range.
void bench_fill(PIXEL_YC* pixels, size_t count, unsigned seed);

void bench_frame_init(bench_frame& f);

// The pass of phase 1..4 about (bench_ref_x, bench_ref_y).
resample_job bench_job(bench_frame& f, int phase);

// The frame's size in bytes, for the copy that marks the memory floor.
size_t bench_frame_bytes(const bench_frame& f);

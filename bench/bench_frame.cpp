#include "bench/bench_frame.h"

#include "testhost/random_picture.h"

void bench_fill(PIXEL_YC* pixels, size_t count, unsigned seed) { fill_random_pixels(pixels, count, seed); }

void bench_frame_init(bench_frame& f) {
    const size_t count = static_cast<size_t>(bench_w) * bench_h;
    f.src.resize(count);
    f.dst.assign(count, PIXEL_YC());
    bench_fill(f.src.data(), count, 1);
}

resample_job bench_job(bench_frame& f, int phase) {
    return phase_job(f.src.data(), f.dst.data(), bench_w, bench_h, bench_w, bench_ref_x,
                     bench_ref_y, phase);
}

size_t bench_frame_bytes(const bench_frame& f) { return f.src.size() * sizeof(PIXEL_YC); }

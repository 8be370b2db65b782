#include "bench/bench_frame.h"


void bench_fill(PIXEL_YC* pixels, size_t count, unsigned seed) {
    unsigned s = seed * 2654435761u + 1;
    for (size_t i = 0; i < count; i++) {
        s = s * 1664525u + 1013904223u;
        pixels[i].y = static_cast<int16_t>(s >> 16);
        s = s * 1664525u + 1013904223u;
        pixels[i].cb = static_cast<int16_t>(s >> 16);
        s = s * 1664525u + 1013904223u;
        pixels[i].cr = static_cast<int16_t>(s >> 16);
    }
}

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

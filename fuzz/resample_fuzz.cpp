// libFuzzer target: arbitrary pictures and track values through the phase
// table, and arbitrary factors, resampled by the reference and by every usable
// kernel; any difference, or a write outside the picture, aborts.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "effect/phase_table.h"
#include "effect/resample_kernels.h"
#include "params/track_table.h"

namespace {

const PIXEL_YC sentinel = {0x5A5A, -0x3C3C, 0x1234};

// Reads the input front to back; zeros once it runs out.
struct byte_reader {
    const uint8_t* data;
    size_t size;
    size_t at;
    unsigned u8() { return at < size ? data[at++] : 0; }
    unsigned u16() { return u8() | (u8() << 8); }
    int clamped(int lo, int hi) {
        const int v = static_cast<int16_t>(u16());
        return v < lo ? lo : v > hi ? hi : v;
    }
};

void fail(const char* what, const resample_job& job, int kernel, size_t index) {
    fprintf(stderr,
            "resample_fuzz: %s: kernel %s, %dx%d pitch %d, ref (%d, %d), factors %.17g %.17g, "
            "element %zu\n",
            what, resample_kernel_name(kernel), job.w, job.h, job.pitch, job.ref_x, job.ref_y,
            job.x_factor, job.y_factor, index);
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    byte_reader in = {data, size, 0};
    const unsigned mode = in.u8();
    resample_job job;
    if (mode & 1) {
        job.w = 1 + static_cast<int>(in.u16() % 2200);  // wide: across strips
        job.h = 1 + static_cast<int>(in.u8() % 3);
    } else {
        job.w = static_cast<int>(in.u8() % 97) - (mode & 4 ? 1 : 0);
        job.h = static_cast<int>(in.u8() % 65) - (mode & 8 ? 1 : 0);
    }
    const int pitch = (job.w > 0 ? job.w : 1) + static_cast<int>(in.u8() % 8);

    if (mode & 2) {
        // Factors the phase table never makes, in [-2, 2), and any reference point.
        job.ref_x = in.clamped(-3000, 3000);
        job.ref_y = in.clamped(-3000, 3000);
        job.x_factor = in.u16() / 16384.0 - 2.0;
        job.y_factor = in.u16() / 16384.0 - 2.0;
        if (mode & 16) job.x_factor = 1.0;
    } else {
        // Track values clamped to their ranges, as read_track gives them.
        int t[track_n];
        for (int i = 0; i < track_n; i++) t[i] = in.clamped(track_s[i], track_e[i]);
        const int frame = static_cast<int>(in.u16()) - 1000;
        const int start = t[6];
        if (frame < start) return 0;
        const int g = t[5] * t[3];
        const int L = cycle_length(t[2], g);
        ScalePhase rows[phase_rows];
        build_phase_table(L, g, rows);
        const int row = find_phase(rows, cycle_position(frame, start, t[3], L));
        if (row == 0) return 0;
        job.ref_x = t[0];
        job.ref_y = t[1];
        job.x_factor = rows[row].x_factor;
        job.y_factor = rows[row].y_factor;
    }
    job.pitch = pitch;

    const size_t count = static_cast<size_t>(job.h > 0 ? job.h : 1) * static_cast<size_t>(pitch);
    // Exactly the picture's rows: a read past the last one is an ASan report.
    std::vector<PIXEL_YC> src(count);
    unsigned seed = static_cast<unsigned>(size) * 2654435761u;
    for (size_t i = 0; i < count; i++) {
        int16_t* s[3] = {&src[i].y, &src[i].cb, &src[i].cr};
        for (int16_t* c : s) {
            seed = seed * 1664525u + 1013904223u;
            *c = static_cast<int16_t>(in.at < in.size ? (in.u16()) : (seed >> 16));
        }
    }
    job.src = src.data();

    std::vector<PIXEL_YC> want(count, sentinel);
    job.dst = want.data();
    resample_reference(job);
    for (int kernel = 0; kernel < kernel_count; kernel++) {
        if (!resample_kernel_usable(kernel)) continue;
        std::vector<PIXEL_YC> got(count, sentinel);
        job.dst = got.data();
        resample_with(kernel, job);
        for (size_t i = 0; i < count; i++) {
            const PIXEL_YC& a = want[i];
            const PIXEL_YC& b = got[i];
            if (a.y != b.y || a.cb != b.cb || a.cr != b.cr) fail("pixels differ", job, kernel, i);
            const bool inside = static_cast<int>(i % pitch) < job.w &&
                                static_cast<int>(i / pitch) < job.h;
            if (!inside && (b.y != sentinel.y || b.cb != sentinel.cb || b.cr != sentinel.cr))
                fail("written outside the picture", job, kernel, i);
        }
    }
    return 0;
}

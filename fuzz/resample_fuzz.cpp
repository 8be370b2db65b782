// libFuzzer target: arbitrary pictures and track values through the phase
// table, and arbitrary factors, resampled by the reference and by every level
// of the resampling table this processor has; any difference, or a write
// outside the picture, aborts. The levels are listed on stdout at start.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "effect/phase_table.h"
#include "effect/resample.h"
#include "effect/resample_kernels.h"
#include "shared/track_table.h"

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

void fail(const char* what, const resample_job& job, int level, size_t index) {
    fprintf(stderr,
            "resample_fuzz: %s: set %s, %dx%d pitch %d, ref (%d, %d), factors %.17g %.17g, "
            "element %zu\n",
            what, resample_level_name(level), job.w, job.h, job.pitch, job.ref_x, job.ref_y,
            job.x_factor, job.y_factor, index);
    abort();
}

// The levels this processor has, listed once.
std::vector<int> levels;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    printf("resample_fuzz: sets tested on this machine:");
    for (int level = 0; level < resample_level_count(); level++) {
        if (!resample_level_runs(level)) continue;
        levels.push_back(level);
        printf(" %s", resample_level_name(level));
    }
    printf("\n");
    fflush(stdout);
    return 0;
}

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
        const beat_tracks beat = {t[track_period], t[track_period_div], t[track_stretch_frames],
                                  t[track_start_frame]};
        const int phase = frame_phase(beat, frame);
        if (phase <= 0) return 0;
        job = phase_job(nullptr, nullptr, job.w, job.h, pitch, t[track_ref_x], t[track_ref_y],
                        phase);
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
    for (int level : levels) {
        resample_table table;
        resample_table_fill(table, resample_level_features(level));
        std::vector<PIXEL_YC> got(count, sentinel);
        job.dst = got.data();
        resample_with(table, job);
        for (size_t i = 0; i < count; i++) {
            const PIXEL_YC& a = want[i];
            const PIXEL_YC& b = got[i];
            if (a.y != b.y || a.cb != b.cb || a.cr != b.cr) fail("pixels differ", job, level, i);
            const bool inside = static_cast<int>(i % pitch) < job.w &&
                                static_cast<int>(i / pitch) < job.h;
            if (!inside && (b.y != sentinel.y || b.cb != sentinel.cb || b.cr != sentinel.cr))
                fail("written outside the picture", job, level, i);
        }
    }
    return 0;
}

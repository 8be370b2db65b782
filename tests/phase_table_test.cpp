#include <gtest/gtest.h>

#include <climits>

#include "effect/phase_table.h"
#include "effect/resample.h"

namespace {

int phase_of(int frame, int start, int period, int div, int stretch) {
    const beat_tracks t = {period, div, stretch, start};
    return frame_phase(t, frame);
}

struct phase_case {
    const char* what;
    int frame, start, period, div, stretch;
    int phase;
};

const phase_case phase_cases[] = {
    {"default road", 0, 0, 10, 1, 1, 0},
    {"default road", 5, 0, 10, 1, 1, 0},
    {"p equal to the end of phase 0", 6, 0, 10, 1, 1, 1},
    {"p equal to the end of phase 1", 7, 0, 10, 1, 1, 2},
    {"default road", 8, 0, 10, 1, 1, 3},
    {"last position", 9, 0, 10, 1, 1, 4},
    {"next cycle", 10, 0, 10, 1, 1, 0},
    {"next cycle", 16, 0, 10, 1, 1, 1},
    {"short period lengthened to 5", 0, 0, 3, 1, 1, 0},
    {"short period lengthened to 5", 1, 0, 3, 1, 1, 1},
    {"short period lengthened to 5", 2, 0, 3, 1, 1, 2},
    {"short period lengthened to 5", 3, 0, 3, 1, 1, 3},
    {"short period lengthened to 5", 4, 0, 3, 1, 1, 4},
    {"short period lengthened to 5", 5, 0, 3, 1, 1, 0},
    {"short period lengthened to 5", 10, 0, 3, 1, 1, 0},
    {"sub-frame period, L 4001", 0, 0, 10, 100, 10, 0},
    {"sub-frame period, L 4001", 1, 0, 10, 100, 10, 1},
    {"sub-frame period, L 4001", 10, 0, 10, 100, 10, 1},
    {"sub-frame period, L 4001", 11, 0, 10, 100, 10, 2},
    {"sub-frame period, L 4001", 20, 0, 10, 100, 10, 2},
    {"sub-frame period, L 4001", 21, 0, 10, 100, 10, 3},
    {"sub-frame period, L 4001", 30, 0, 10, 100, 10, 3},
    {"sub-frame period, L 4001", 31, 0, 10, 100, 10, 4},
    {"sub-frame period, L 4001", 40, 0, 10, 100, 10, 4},
    {"sub-frame period, p 99", 41, 0, 10, 100, 10, 1},
    {"sub-frame period, next p 0", 4001, 0, 10, 100, 10, 0},
    {"half frames: 29 units at 2 a frame", 14, 0, 29, 2, 1, 4},  // p 28
    {"half frames: 29 units at 2 a frame", 15, 0, 29, 2, 1, 0},  // p 1
    {"negative start", 0, -300, 10, 1, 1, 0},
    {"negative start", 6, -300, 10, 1, 1, 1},
    {"start 300", 306, 300, 10, 1, 1, 1},
    {"before the start", 299, 300, 10, 1, 1, -1},
    {"before a negative start", -301, -300, 10, 1, 1, -1},
    // (frame - start) * div does not fit 32 bits: the true remainder decides
    {"largest frame", INT_MAX, -300, 10, 1, 1, 2},        // 2147483947 mod 10 = 7
    {"largest frame, L 4001", INT_MAX, -300, 10, 100, 10, 2},  // p 1020
    {"just past 32 bits", 21474837, 0, 10, 100, 1, 4},   // 2147483700 mod 401 = 380
};

TEST(PhaseTable, PhaseOfEveryFrameKind) {
    for (const phase_case& c : phase_cases) {
        EXPECT_EQ(phase_of(c.frame, c.start, c.period, c.div, c.stretch), c.phase)
            << c.what << ": frame " << c.frame;
    }
}

TEST(PhaseTable, RowsAndFactors) {
    ScalePhase rows[phase_rows];
    build_phase_table(4001, 1000, rows);
    const int ends[phase_rows] = {1, 1001, 2001, 3001, 4001};
    const double x_factors[phase_rows] = {1.0, 1.0, 0.9803921568627451, 1.0, 1.0};
    const double y_factors[phase_rows] = {1.0, 0.9852216748768474, 1.015228426395939,
                                          1.0204081632653061, 1.0101010101010102};
    for (int i = 0; i < phase_rows; i++) {
        EXPECT_EQ(rows[i].phase_end, ends[i]);
        EXPECT_EQ(rows[i].x_factor, x_factors[i]) << i;
        EXPECT_EQ(rows[i].y_factor, y_factors[i]) << i;
    }
    // 1.0 / 1.015 in double, not the double nearest the exact reciprocal.
    EXPECT_NE(rows[1].y_factor, 0.98522167487684731);
}

TEST(PhaseTable, PhaseJobTakesThePhasesFactors) {
    ScalePhase rows[phase_rows];
    build_phase_table(10, 1, rows);
    PIXEL_YC src[1] = {}, dst[1] = {};
    for (int phase = 1; phase < phase_rows; phase++) {
        const resample_job job = phase_job(src, dst, 7, 5, 9, -3, 2000, phase);
        EXPECT_EQ(job.x_factor, rows[phase].x_factor) << phase;
        EXPECT_EQ(job.y_factor, rows[phase].y_factor) << phase;
        EXPECT_TRUE(job.src == src && job.dst == dst);
        EXPECT_EQ(job.w, 7);
        EXPECT_EQ(job.h, 5);
        EXPECT_EQ(job.pitch, 9);
        EXPECT_EQ(job.ref_x, -3);
        EXPECT_EQ(job.ref_y, 2000);
    }
}

TEST(PhaseTable, ZeroPhaseLengthKeepsEveryPositionInPhaseZero) {
    // A track read as 0 (missing label) must give a defined remainder.
    EXPECT_EQ(cycle_length(0, 0), 1);
    EXPECT_EQ(phase_of(12345, 0, 0, 0, 1), 0);
    EXPECT_EQ(phase_of(12345, 0, 10, 1, 0), 0);
}

}  // namespace

// Every resampling kernel against the reference, bit for bit, checkasm-style:
// each kernel forced in turn over random pictures of many shapes, reference
// points inside and far outside, the four phase rows and some harsher factors.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "effect/phase_table.h"
#include "effect/resample_kernels.h"
#include "fixture.h"

namespace {

struct picture_size {
    int w, h, pitch;
};

// From one pixel up; pitch wider than the picture; wider than one 2048-column
// strip (and, at x_factor 1.5, than the source columns one strip may span).
const picture_size sizes[] = {
    {1, 1, 1},    {1, 6, 1},    {6, 1, 6},    {1, 4, 3},     {2, 2, 2},     {3, 7, 5},
    {7, 3, 7},    {5, 5, 9},    {17, 9, 20},  {64, 33, 64},  {255, 4, 255}, {256, 3, 259},
    {257, 5, 257}, {300, 17, 301}, {513, 6, 520}, {1030, 3, 1030}, {2100, 3, 2104},
};

struct factor_pair {
    double x, y;
};

// The phase rows, then factors the phase table never makes but the kernels
// must still match: shrinking, mirrored, a hair above 1 (fractions just below
// 1.0 left of the picture), and x_factor 1 with unusual vertical factors.
std::vector<factor_pair> factor_pairs() {
    ScalePhase rows[phase_rows];
    build_phase_table(10, 1, rows);
    std::vector<factor_pair> pairs;
    for (int r = 1; r < phase_rows; r++) pairs.push_back({rows[r].x_factor, rows[r].y_factor});
    const double hair = 1.0 + 2.220446049250313e-16;
    pairs.push_back({1.5, 0.5});
    pairs.push_back({-0.7, -1.0});
    pairs.push_back({hair, hair});
    pairs.push_back({0.25, 3.0});
    pairs.push_back({1.0, -0.5});
    pairs.push_back({1.0, 1.0});
    pairs.push_back({0.0, 0.0});
    return pairs;
}

enum fill_kind { fill_random, fill_extremes, fill_small };

void fill(fixture_frame& f, fill_kind kind, unsigned seed) {
    fixture_fill_random(f, seed);
    if (kind == fill_random) return;
    for (int y = 0; y < f.fpip.h; y++) {
        for (int x = 0; x < f.fpip.w; x++) {
            PIXEL_YC& p = f.edit[static_cast<size_t>(y) * f.fpip.max_w + x];
            int16_t* s[3] = {&p.y, &p.cb, &p.cr};
            for (int16_t* c : s) {
                if (kind == fill_extremes)
                    *c = (*c & 1) ? 32767 : -32768;
                else
                    *c = static_cast<int16_t>(*c % 2);  // -1, 0, 1: signed zeros in the products
            }
        }
    }
}

resample_job job_for(fixture_frame& f, int ref_x, int ref_y, factor_pair fac) {
    resample_job job;
    job.src = f.edit.data();
    job.dst = f.temp.data();
    job.w = f.fpip.w;
    job.h = f.fpip.h;
    job.pitch = f.fpip.max_w;
    job.ref_x = ref_x;
    job.ref_y = ref_y;
    job.x_factor = fac.x;
    job.y_factor = fac.y;
    return job;
}

// The first differing pixel of two buffers as "(x, y)", or "" when equal.
std::string first_difference(const std::vector<PIXEL_YC>& want, const std::vector<PIXEL_YC>& got,
                             int pitch) {
    for (size_t i = 0; i < want.size(); i++) {
        if (!same_pixel(want[i], got[i])) {
            char text[96];
            snprintf(text, sizeof text, "(%d, %d): want %d %d %d, got %d %d %d",
                     static_cast<int>(i % pitch), static_cast<int>(i / pitch), want[i].y,
                     want[i].cb, want[i].cr, got[i].y, got[i].cb, got[i].cr);
            return text;
        }
    }
    return "";
}

class ResampleKernel : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        if (!resample_kernel_usable(GetParam()))
            GTEST_SKIP() << "kernel " << resample_kernel_name(GetParam())
                         << " is not supported by this processor or build";
    }
    void TearDown() override { resample_force_kernel(kernel_count); }
};

TEST_P(ResampleKernel, MatchesTheReferenceBitForBit) {
    const int kernel = GetParam();
    const std::vector<factor_pair> pairs = factor_pairs();
    unsigned seed = 1;
    int mismatches = 0;
    for (const picture_size& size : sizes) {
        const int refs[][2] = {{0, 0},
                               {size.w / 2, size.h / 2},
                               {size.w - 1, 0},
                               {2000, 2000},
                               {0, 2000},
                               {-300, -7}};
        for (const auto& ref : refs) {
            for (const factor_pair& fac : pairs) {
                for (fill_kind kind : {fill_random, fill_extremes, fill_small}) {
                    fixture_frame want, got;
                    fixture_frame_init(want, size.w, size.h, size.pitch, 0);
                    fill(want, kind, seed++);
                    got = want;
                    resample_reference(job_for(want, ref[0], ref[1], fac));
                    resample_with(kernel, job_for(got, ref[0], ref[1], fac));
                    // Pixels outside the picture keep their sentinel in both.
                    const std::string where = first_difference(want.temp, got.temp, size.pitch);
                    if (!where.empty() && mismatches++ < 10) {
                        ADD_FAILURE() << size.w << "x" << size.h << " pitch " << size.pitch
                                      << ", ref (" << ref[0] << ", " << ref[1] << "), factors "
                                      << fac.x << ", " << fac.y << ", fill " << kind << ": "
                                      << where;
                    }
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_P(ResampleKernel, ForcedKernelServesResampleFrame) {
    const int kernel = GetParam();
    ASSERT_TRUE(resample_force_kernel(kernel));
    EXPECT_EQ(resample_kernel_selected(), kernel);
    ScalePhase rows[phase_rows];
    build_phase_table(10, 1, rows);
    for (int r = 1; r < phase_rows; r++) {
        fixture_frame want, got;
        fixture_frame_init(want, 640, 48, 648, 0);
        fixture_fill_random(want, 77 + r);
        got = want;
        const factor_pair fac = {rows[r].x_factor, rows[r].y_factor};
        resample_reference(job_for(want, 2000, 20, fac));
        resample_frame(job_for(got, 2000, 20, fac));
        EXPECT_EQ(first_difference(want.temp, got.temp, 648), "") << "row " << r;
    }
}

TEST_P(ResampleKernel, EmptyPictureWritesNothing) {
    for (const picture_size size : {picture_size{0, 5, 4}, picture_size{4, 0, 4},
                                    picture_size{-3, 2, 4}, picture_size{3, -2, 4}}) {
        fixture_frame f;
        fixture_frame_init(f, 4, 2, 4, 0);
        fixture_fill_random(f, 5);
        f.fpip.w = size.w;
        f.fpip.h = size.h;
        const std::vector<PIXEL_YC> before = f.temp;
        resample_with(GetParam(), job_for(f, 1, 1, factor_pair{1.0 / 1.02, 1.0 / 0.985}));
        resample_with(GetParam(), job_for(f, 1, 1, factor_pair{1.0, 1.0 / 0.98}));
        EXPECT_TRUE(same_pixels(before, f.temp)) << size.w << "x" << size.h;
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, ResampleKernel, testing::Range(0, static_cast<int>(kernel_count)),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(resample_kernel_name(info.param));
                         });

TEST(ResampleKernels, AutomaticChoiceIsTheWidestUsable) {
    resample_force_kernel(kernel_count);
    const int chosen = resample_kernel_selected();
    EXPECT_TRUE(resample_kernel_usable(chosen));
    for (int k = chosen + 1; k < kernel_count; k++) EXPECT_FALSE(resample_kernel_usable(k));
    EXPECT_FALSE(resample_force_kernel(-1));
    EXPECT_FALSE(resample_force_kernel(kernel_count + 1));
    EXPECT_EQ(resample_kernel_selected(), chosen);
    printf("resampling kernel in use: %s\n", resample_kernel_name(chosen));
}

}  // namespace

// Every level of the resampling table against the reference, bit for bit,
// checkasm-style: each level the processor has is filled in turn and run over
// random pictures of many shapes, reference points inside and far outside,
// the four phases and some harsher factors. Then the filling itself: which
// level a feature mask reaches, and the features read from cpuid and XCR0.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "effect/cpu_features.h"
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

// The four phases' factors, then factors the phase table never makes but the kernels
// must still match: shrinking, mirrored, a hair above 1 (fractions just below
// 1.0 left of the picture), and x_factor 1 with unusual vertical factors.
std::vector<factor_pair> factor_pairs() {
    std::vector<factor_pair> pairs;
    for (int r = 1; r < phase_rows; r++)
        pairs.push_back({phase_factor_table[r].x_factor, phase_factor_table[r].y_factor});
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

// The levels this processor and build can run.
std::vector<int> runnable_levels() {
    std::vector<int> levels;
    for (int level = 0; level < resample_level_count(); level++)
        if (resample_level_runs(level)) levels.push_back(level);
    return levels;
}

class ResampleLevel : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        if (!resample_level_runs(GetParam()))
            GTEST_SKIP() << "set " << resample_level_name(GetParam())
                         << " is not supported by this processor or build";
        ASSERT_EQ(resample_table_fill(table, resample_level_features(GetParam())), GetParam());
    }
    resample_table table;
};

TEST_P(ResampleLevel, MatchesTheReferenceBitForBit) {
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
                    resample_with(table, job_for(got, ref[0], ref[1], fac));
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

TEST_P(ResampleLevel, EmptyPictureWritesNothing) {
    for (const picture_size size : {picture_size{0, 5, 4}, picture_size{4, 0, 4},
                                    picture_size{-3, 2, 4}, picture_size{3, -2, 4}}) {
        fixture_frame f;
        fixture_frame_init(f, 4, 2, 4, 0);
        fixture_fill_random(f, 5);
        f.fpip.w = size.w;
        f.fpip.h = size.h;
        const std::vector<PIXEL_YC> before = f.temp;
        resample_with(table, job_for(f, 1, 1, factor_pair{1.0 / 1.02, 1.0 / 0.985}));
        resample_with(table, job_for(f, 1, 1, factor_pair{1.0, 1.0 / 0.98}));
        EXPECT_TRUE(same_pixels(before, f.temp)) << size.w << "x" << size.h;
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, ResampleLevel, testing::Range(0, resample_level_count()),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(resample_level_name(info.param));
                         });

TEST(ResampleTable, SaysWhichSetsRan) {
    std::string names;
    for (int level : runnable_levels()) names += std::string(" ") + resample_level_name(level);
    printf("resampling sets tested on this machine:%s\n", names.c_str());
    EXPECT_EQ(resample_level(), runnable_levels().back());
}

// Filling the table only (nothing runs), so every mask is safe on any machine.
TEST(ResampleTable, EachLevelNeedsItsFeatureAndAllBelow) {
    const struct {
        unsigned mask;
        const char* level;
    } cases[] = {
        {0, "plain"},
        {cpu_sse2, "sse2"},
        {cpu_avx2, "plain"},  // no sse2 below it
        {cpu_sse2 | cpu_avx512, "sse2"},
        {cpu_sse2 | cpu_avx2, "avx2"},
        {cpu_avx2 | cpu_avx512, "plain"},
        {cpu_sse2 | cpu_avx2 | cpu_avx512, "avx512"},
        {~0u, "avx512"},
    };
    for (const auto& c : cases) {
        resample_table table;
        EXPECT_STREQ(resample_level_name(resample_table_fill(table, c.mask)), c.level) << "mask " << c.mask;
        EXPECT_STREQ(resample_level_name(table.level), c.level) << "mask " << c.mask;
    }
    for (int level = 0; level < resample_level_count(); level++) {
        resample_table table;
        EXPECT_EQ(resample_table_fill(table, resample_level_features(level)), level);
    }
    EXPECT_STREQ(resample_level_name(-1), "?");
    EXPECT_STREQ(resample_level_name(resample_level_count()), "?");
}

// Leaf 1 ecx: OSXSAVE bit 27, AVX bit 28; edx: SSE2 bit 26. Leaf 7 ebx: AVX2
// bit 5, AVX-512 F 16, DQ 17, BW 30, VL 31. XCR0: 0x6 SSE and AVX state, 0xE0
// opmask and ZMM state.
TEST(CpuFeatures, FromCpuidAndSavedState) {
    const unsigned osxsave_avx = (1u << 27) | (1u << 28), sse2 = 1u << 26, avx2 = 1u << 5;
    const unsigned avx512 = (1u << 16) | (1u << 17) | (1u << 30) | (1u << 31);
    const struct {
        const char* what;
        cpuid_words words;
        unsigned features;
    } cases[] = {
        {"nothing", {0, 0, 0, 0, 0}, 0},
        {"sse2 only", {1, 0, sse2, 0, 0}, cpu_sse2},
        {"avx2 with ymm state", {7, osxsave_avx, sse2, avx2, 0x7}, cpu_sse2 | cpu_avx2},
        {"avx2 but the system saves no ymm", {7, osxsave_avx, sse2, avx2, 0x3}, cpu_sse2},
        {"avx2 without osxsave", {7, 1u << 28, sse2, avx2, 0x7}, cpu_sse2},
        {"avx2 without avx", {7, 1u << 27, sse2, avx2, 0x7}, cpu_sse2},
        {"leaf 7 missing", {6, osxsave_avx, sse2, avx2 | avx512, 0xE7}, cpu_sse2},
        {"avx-512 in full", {13, osxsave_avx, sse2, avx2 | avx512, 0xE7},
         cpu_sse2 | cpu_avx2 | cpu_avx512},
        {"avx-512 but no zmm state", {13, osxsave_avx, sse2, avx2 | avx512, 0x67},
         cpu_sse2 | cpu_avx2},
        {"avx-512 but no opmask state", {13, osxsave_avx, sse2, avx2 | avx512, 0xC7},
         cpu_sse2 | cpu_avx2},
        {"avx-512 without bw", {13, osxsave_avx, sse2, avx2 | (avx512 & ~(1u << 30)), 0xE7},
         cpu_sse2 | cpu_avx2},
        {"avx-512 without vl", {13, osxsave_avx, sse2, avx2 | (avx512 & ~(1u << 31)), 0xE7},
         cpu_sse2 | cpu_avx2},
        {"avx-512 without dq", {13, osxsave_avx, sse2, avx2 | (avx512 & ~(1u << 17)), 0xE7},
         cpu_sse2 | cpu_avx2},
        {"avx-512 without avx2", {13, osxsave_avx, sse2, avx512, 0xE7}, cpu_sse2},
    };
    for (const auto& c : cases) EXPECT_EQ(cpu_features_from(c.words), c.features) << c.what;
}

TEST(CpuFeatures, ThisProcessor) {
    const cpuid_words words = cpu_read_words();
    EXPECT_EQ(cpu_features(), cpu_features_from(words));
#if defined(__x86_64__) || defined(_M_X64) || defined(__SSE2__)
    EXPECT_TRUE(cpu_features() & cpu_sse2) << "the build itself needs SSE2";
#endif
}

}  // namespace

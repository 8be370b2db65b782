#include <gtest/gtest.h>

#include <vector>

#include "tools/pulvax-run/yc_convert.h"

// Up to 12 bits, in both ranges, every sample value comes back exactly.
TEST(yc_convert, every_value_round_trips_up_to_12_bits) {
    for (int depth = 8; depth <= 12; depth++) {
        for (int full = 0; full < 2; full++) {
            const sample_scale ls = luma_scale(depth, full != 0), cs = chroma_scale(depth, full != 0);
            int bad = 0;
            for (int v = 0; v < 1 << depth; v++) {
                bad += yc_to_sample(ls, sample_to_yc(ls, v)) != v;
                bad += yc_to_sample(cs, sample_to_yc(cs, v)) != v;
            }
            EXPECT_EQ(bad, 0) << depth << " bits, full range " << full;
        }
    }
}

// Black, white and the chroma extremes meet the editor's 0..4096 and
// -2048..2048 at every depth and range; deeper samples come back within
// their share of the editor's resolution.
TEST(yc_convert, range_ends_meet_the_editor_range) {
    const struct {
        int depth;
        bool full;
        int black, white, chroma_lo, chroma_hi;
        int16_t lo_yc;  // chroma_lo in the editor's samples
    } cases[] = {
        {8, false, 16, 235, 16, 240, -2048},       {10, false, 64, 940, 64, 960, -2048},
        {12, false, 256, 3760, 256, 3840, -2048},  {16, false, 4096, 60160, 4096, 61440, -2048},
        {8, true, 0, 255, 0, 255, -2056},          {10, true, 0, 1023, 0, 1023, -2050},
        {16, true, 0, 65535, 0, 65535, -2048},
    };
    for (const auto& c : cases) {
        const sample_scale ls = luma_scale(c.depth, c.full), cs = chroma_scale(c.depth, c.full);
        EXPECT_EQ(sample_to_yc(ls, c.black), 0) << c.depth << c.full;
        EXPECT_EQ(sample_to_yc(ls, c.white), 4096) << c.depth << c.full;
        EXPECT_EQ(sample_to_yc(cs, c.chroma_lo), c.lo_yc) << c.depth << c.full;
        EXPECT_EQ(yc_to_sample(ls, 0), c.black) << c.depth << c.full;
        EXPECT_EQ(yc_to_sample(ls, 4096), c.white) << c.depth << c.full;
        EXPECT_EQ(yc_to_sample(cs, 0), 1 << (c.depth - 1)) << c.depth << c.full;
        EXPECT_EQ(yc_to_sample(ls, -32768), 0) << c.depth << c.full;
        EXPECT_EQ(yc_to_sample(ls, 32767), (1 << c.depth) - 1) << c.depth << c.full;
    }
    // A 10-bit stream whose words carry more than 10 bits saturates.
    EXPECT_EQ(sample_to_yc(luma_scale(10, false), 65535), 32767);
    EXPECT_EQ(sample_to_yc(chroma_scale(12, true), 65535), 32767);
    const sample_scale l16 = luma_scale(16, false);
    for (int v = 0; v < 65536; v += 7) {
        const int back = yc_to_sample(l16, sample_to_yc(l16, v));
        EXPECT_LE(back > v ? back - v : v - back, 7) << v;
    }
}

TEST(yc_convert, video_range_meets_the_editor_range) {
    EXPECT_EQ(luma_to_yc(16), 0);
    EXPECT_EQ(luma_to_yc(235), 4096);
    EXPECT_EQ(chroma_to_yc(128), 0);
    EXPECT_EQ(chroma_to_yc(16), -2048);
    EXPECT_EQ(chroma_to_yc(240), 2048);
    // Samples beyond the 8-bit range clamp on the way back.
    EXPECT_EQ(yc_to_luma(-5000), 0);
    EXPECT_EQ(yc_to_luma(32767), 255);
    EXPECT_EQ(yc_to_chroma(-32768), 0);
    EXPECT_EQ(yc_to_chroma(32767), 255);
}

TEST(yc_convert, rounded_division_is_floor_based) {
    EXPECT_EQ(round_div(-32768LL * 65535, 4096), -524280);
    EXPECT_EQ(floor_div(-7, 2), -4);
    EXPECT_EQ(floor_div(7, 2), 3);
    EXPECT_EQ(round_div(5, 2), 3);    // 2.5 -> 3
    EXPECT_EQ(round_div(-5, 2), -2);  // -2.5 -> -2 (halves up)
    EXPECT_EQ(round_div(-7, 4), -2);  // -1.75 -> -2
}

struct layout_case {
    y4m_chroma chroma;
    int w, h;
    int depth;
    bool full_range;
};

class planes_round_trip : public testing::TestWithParam<layout_case> {};

// Random planes through PIXEL_YC and back, with a row pitch wider than the
// picture: identical bytes, and nothing written past the picture's rows.
TEST_P(planes_round_trip, unchanged_samples_come_back_identical) {
    y4m_format f;
    f.chroma = GetParam().chroma;
    f.w = GetParam().w;
    f.h = GetParam().h;
    f.depth = GetParam().depth;
    f.full_range = GetParam().full_range;
    std::vector<uint8_t> planes(frame_bytes(f));
    uint32_t s = 7;
    for (size_t i = 0; i < planes.size(); i++) {
        s = s * 1103515245u + 12345u;
        planes[i] = static_cast<uint8_t>(s >> 23);
        // The high byte of a deeper sample holds only depth - 8 bits.
        if (f.depth > 8 && i % 2 == 1) planes[i] &= static_cast<uint8_t>((1 << (f.depth - 8)) - 1);
    }
    const int pitch = f.w + 3;
    const PIXEL_YC sentinel = {0x7777, -0x7777, 0x1234};
    std::vector<PIXEL_YC> yc(static_cast<size_t>(pitch) * f.h, sentinel);
    planes_to_yc(f, planes.data(), yc.data(), pitch);
    for (int y = 0; y < f.h; y++) {
        for (int x = f.w; x < pitch; x++) EXPECT_EQ(yc[y * pitch + x].y, sentinel.y);
    }
    std::vector<uint8_t> back(planes.size(), 0xEE);
    yc_to_planes(f, yc.data(), pitch, back.data());
    EXPECT_EQ(back, planes);
}

INSTANTIATE_TEST_SUITE_P(layouts, planes_round_trip,
                         testing::Values(layout_case{chroma_420, 16, 10, 8, false},
                                         layout_case{chroma_420, 2, 2, 8, false},
                                         layout_case{chroma_420, 641, 3, 8, false},  // odd: chroma rounded up
                                         layout_case{chroma_420, 7, 5, 10, false},
                                         layout_case{chroma_420, 5, 3, 12, true},
                                         layout_case{chroma_422, 18, 7, 8, false},
                                         layout_case{chroma_422, 9, 4, 10, true},
                                         layout_case{chroma_444, 13, 5, 8, false},
                                         layout_case{chroma_444, 3, 3, 12, false},
                                         layout_case{chroma_444, 1, 1, 8, true},
                                         layout_case{chroma_411, 10, 3, 8, false},  // 4:1:1, last block of 2
                                         layout_case{chroma_mono, 7, 3, 8, false},
                                         layout_case{chroma_mono, 4, 4, 9, true}));

// Words beyond a 10-bit depth (a malformed stream) convert, saturated, and
// come back clamped to the depth.
TEST(yc_convert, samples_beyond_the_depth_saturate) {
    y4m_format f;
    f.chroma = chroma_444;
    f.w = 2;
    f.h = 1;
    f.depth = 10;
    const std::vector<uint8_t> planes = {0xFF, 0xFF, 0x00, 0x04, 0xFF, 0xFF, 0x00, 0x02, 0xFF, 0x03, 0x00, 0x00};
    std::vector<PIXEL_YC> yc(2);
    planes_to_yc(f, planes.data(), yc.data(), 2);
    EXPECT_EQ(yc[0].y, 32767);
    EXPECT_EQ(yc[1].y, sample_to_yc(luma_scale(10, false), 1024));
    std::vector<uint8_t> back(planes.size());
    yc_to_planes(f, yc.data(), 2, back.data());
    EXPECT_EQ(back[0] | back[1] << 8, 1023);
    EXPECT_EQ(back[4] | back[5] << 8, 1023);
    EXPECT_EQ(back[6] | back[7] << 8, 512);
}

TEST(yc_convert, subsampled_chroma_spreads_over_its_block_and_averages_back) {
    y4m_format f;
    f.chroma = chroma_420;
    f.w = 2;
    f.h = 2;
    // Y plane 4 bytes, then one Cb and one Cr.
    const std::vector<uint8_t> planes = {16, 16, 16, 16, 240, 16};
    std::vector<PIXEL_YC> yc(4);
    planes_to_yc(f, planes.data(), yc.data(), 2);
    for (const PIXEL_YC& p : yc) {
        EXPECT_EQ(p.cb, 2048);
        EXPECT_EQ(p.cr, -2048);
    }
    // Different per-pixel chroma: the block's mean, 2048*3/4 + 0 -> 1536 -> Cb 212.
    yc[3].cb = 0;
    std::vector<uint8_t> back(6);
    yc_to_planes(f, yc.data(), 2, back.data());
    EXPECT_EQ(back[4], yc_to_chroma(1536));
    EXPECT_EQ(back[5], 16);
}

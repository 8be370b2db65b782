#include <gtest/gtest.h>

#include <vector>

#include "tools/pulvax-run/yc_convert.h"

TEST(yc_convert, every_8bit_value_round_trips) {
    for (int v = 0; v < 256; v++) {
        EXPECT_EQ(yc_to_luma(luma_to_yc(v)), v) << v;
        EXPECT_EQ(yc_to_chroma(chroma_to_yc(v)), v) << v;
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
    EXPECT_EQ(floor_div(-7, 2), -4);
    EXPECT_EQ(floor_div(7, 2), 3);
    EXPECT_EQ(round_div(5, 2), 3);    // 2.5 -> 3
    EXPECT_EQ(round_div(-5, 2), -2);  // -2.5 -> -2 (halves up)
    EXPECT_EQ(round_div(-7, 4), -2);  // -1.75 -> -2
}

struct layout_case {
    y4m_chroma chroma;
    int w, h;
};

class planes_round_trip : public testing::TestWithParam<layout_case> {};

// Random planes through PIXEL_YC and back, with a row pitch wider than the
// picture: identical bytes, and nothing written past the picture's rows.
TEST_P(planes_round_trip, unchanged_samples_come_back_identical) {
    y4m_format f;
    f.chroma = GetParam().chroma;
    f.w = GetParam().w;
    f.h = GetParam().h;
    std::vector<uint8_t> planes(frame_bytes(f));
    uint32_t s = 7;
    for (uint8_t& b : planes) {
        s = s * 1103515245u + 12345u;
        b = static_cast<uint8_t>(s >> 23);
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
                         testing::Values(layout_case{chroma_420, 16, 10}, layout_case{chroma_420, 2, 2},
                                         layout_case{chroma_422, 18, 7}, layout_case{chroma_444, 13, 5},
                                         layout_case{chroma_444, 1, 1}));

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

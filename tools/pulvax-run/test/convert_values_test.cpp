// Conversion values worked out by hand (BT.601 in integers; block means
// rounded to nearest, halves up), and the summary line's median: none of the
// expected values comes from the code under test.
#include <gtest/gtest.h>

#include <vector>

#include "tools/pulvax-run/rgb_convert.h"
#include "tools/pulvax-run/run_module.h"
#include "tools/pulvax-run/yc_convert.h"

namespace {

struct rgb_case {
    int r, g, b;
    int y, cb, cr;
};

// y = floor((66 r + 129 g + 25 b + 128) / 256) + 16, cb = floor((-38 r - 74 g
// + 112 b + 128) / 256) + 128, cr = floor((112 r - 94 g - 18 b + 128) / 256) + 128.
const rgb_case rgb_cases[] = {
    {0, 0, 0, 16, 128, 128},
    {255, 255, 255, 235, 128, 128},
    {255, 0, 0, 82, 90, 240},     // 16958 / 256 = 66.2; -9562 / 256 = -37.4; 28688 / 256 = 112.1
    {0, 255, 0, 144, 54, 34},     // 33023 / 256 = 129.0 - 0.01; -18742 / 256 = -73.2; -23842 / 256 = -93.1
    {0, 0, 255, 41, 240, 110},    // 6503 / 256 = 25.4; 28688 / 256 = 112.1; -4462 / 256 = -17.4
    {128, 128, 128, 126, 128, 128},  // 28288 / 256 = 110.5
};

TEST(rgb_convert, bt601_values_by_hand) {
    for (const rgb_case& c : rgb_cases) {
        uint8_t y, cb, cr;
        rgb_to_ycbcr(c.r, c.g, c.b, y, cb, cr);
        EXPECT_EQ(y, c.y) << c.r << " " << c.g << " " << c.b;
        EXPECT_EQ(cb, c.cb) << c.r << " " << c.g << " " << c.b;
        EXPECT_EQ(cr, c.cr) << c.r << " " << c.g << " " << c.b;
    }
}

TEST(rgb_convert, chroma_block_mean_rounds_halves_up) {
    // 2 x 2, 4:2:0: blue 2 gives cb 129 (352 / 256), black 128; the block's
    // mean 128.5 is 129.
    y4m_format f = generated_format(2, 2, chroma_420, "C420jpeg");
    const uint8_t rgb[12] = {0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 2};
    std::vector<uint8_t> planes(frame_bytes(f));
    rgb_to_planes(f, rgb, planes.data());
    const std::vector<uint8_t> want = {16, 16, 16, 16, 129, 128};
    EXPECT_EQ(planes, want);
}

struct mean_case {
    int cb[4], cr[4];
    int cb_code, cr_code;
};

// 8-bit video range: a chroma code is round(yc * 224 / 4096) + 128. The means
// 9.5 and -9.5 round (halves up) to 10 and -9, codes 129 and 128; floored
// they would be 9 and -10, codes 128 and 127.
const mean_case mean_cases[] = {
    {{10, 10, 9, 9}, {-10, -10, -9, -9}, 129, 128},
    {{0, 0, 0, 37}, {2048, 2048, 2048, 2047}, 128, 240},  // 9.25 -> 9; 2047.75 -> 2048
    {{-2048, -2048, -2048, -2048}, {0, 0, 0, 1}, 16, 128},
};

TEST(yc_convert, chroma_block_mean_by_hand) {
    y4m_format f = generated_format(2, 2, chroma_420, "C420jpeg");
    for (const mean_case& c : mean_cases) {
        PIXEL_YC yc[4];
        for (int i = 0; i < 4; i++) {
            yc[i].y = 0;
            yc[i].cb = static_cast<int16_t>(c.cb[i]);
            yc[i].cr = static_cast<int16_t>(c.cr[i]);
        }
        std::vector<uint8_t> planes(frame_bytes(f), 0xEE);
        yc_to_planes(f, yc, 2, planes.data());
        EXPECT_EQ(planes[4], c.cb_code) << c.cb[0] << " " << c.cb[1] << " " << c.cb[2] << " " << c.cb[3];
        EXPECT_EQ(planes[5], c.cr_code) << c.cr[0] << " " << c.cr[1] << " " << c.cr[2] << " " << c.cr[3];
        EXPECT_EQ(planes[0], 16);
    }
}

TEST(run_summary, module_times_min_lower_median_max) {
    EXPECT_EQ(module_time_text({}), "");
    EXPECT_EQ(module_time_text({7}), "; module time per frame (PULVAX time): min 7 ms, median 7 ms, max 7 ms");
    EXPECT_EQ(module_time_text({5, 1, 9, 3}),
              "; module time per frame (PULVAX time): min 1 ms, median 3 ms, max 9 ms");
    EXPECT_EQ(module_time_text({4, 2, 8, 6, 0}),
              "; module time per frame (PULVAX time): min 0 ms, median 4 ms, max 8 ms");
}

}  // namespace

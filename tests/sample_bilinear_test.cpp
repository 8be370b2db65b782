#include <gtest/gtest.h>

#include <vector>

#include "effect/sample_bilinear.h"

namespace {

PIXEL_YC px(int y, int cb, int cr) {
    PIXEL_YC p;
    p.y = static_cast<int16_t>(y);
    p.cb = static_cast<int16_t>(cb);
    p.cr = static_cast<int16_t>(cr);
    return p;
}

struct trunc_case {
    const char* what;
    PIXEL_YC p00, p01, p10, p11;
    double x, y;
    PIXEL_YC expected;
};

// A 2 x 2 picture: P00 P01 / P10 P11.
const trunc_case trunc_cases[] = {
    {"12.7 truncates to 12", px(12, 0, 0), px(13, 0, 0), px(12, 0, 0), px(13, 0, 0), 0.7, 0.0,
     px(12, 0, 0)},
    {"-12.7 truncates toward zero to -12", px(-12, 0, 0), px(-13, 0, 0), px(-12, 0, 0),
     px(-13, 0, 0), 0.7, 0.0, px(-12, 0, 0)},
    // 3 * 0.7 + 3 * 0.3 is 2.9999999999999996 in double; x87 would round to 3.
    {"four 3s at fx 0.3 give 2", px(3, 3, 3), px(3, 3, 3), px(3, 3, 3), px(3, 3, 3), 0.3, 0.0,
     px(2, 2, 2)},
    {"components blend separately", px(0, 100, -100), px(100, 0, 0), px(0, 0, 0),
     px(0, 0, 0), 0.5, 0.5, px(25, 25, -25)},
    {"extremes stay in range", px(32767, -32768, 32767), px(32767, -32768, 32767),
     px(32767, -32768, 32767), px(32767, -32768, 32767), 0.5, 0.5, px(32767, -32768, 32767)},
    {"whole coordinates hit pixels", px(1, 2, 3), px(4, 5, 6), px(7, 8, 9), px(10, 11, 12), 1.0,
     1.0, px(10, 11, 12)},
    {"right of the last column is that column", px(1, 1, 1), px(9, 9, 9), px(1, 1, 1),
     px(9, 9, 9), 5.5, 0.0, px(9, 9, 9)},
    {"left of column 0 blends columns 0 and 1 by the fraction", px(0, 0, 0), px(100, 0, 0),
     px(0, 0, 0), px(100, 0, 0), -0.25, 0.0, px(75, 0, 0)},
    {"-1.0 is column 0", px(40, 0, 0), px(100, 0, 0), px(40, 0, 0), px(100, 0, 0), -1.0, 0.0,
     px(40, 0, 0)},
    {"a tiny negative coordinate has fraction 1.0", px(40, 0, 0), px(100, 0, 0), px(40, 0, 0),
     px(100, 0, 0), -1e-17, 0.0, px(100, 0, 0)},
    {"above row 0 blends rows 0 and 1", px(0, 0, 0), px(0, 0, 0), px(100, 0, 0), px(100, 0, 0),
     0.0, -0.25, px(75, 0, 0)},
};

TEST(SampleBilinear, BlendsAndTruncates) {
    for (const trunc_case& c : trunc_cases) {
        const PIXEL_YC picture[4] = {c.p00, c.p01, c.p10, c.p11};
        const PIXEL_YC got = sample_bilinear(picture, 2, 2, 2, c.x, c.y);
        EXPECT_EQ(got.y, c.expected.y) << c.what;
        EXPECT_EQ(got.cb, c.expected.cb) << c.what;
        EXPECT_EQ(got.cr, c.expected.cr) << c.what;
    }
}

TEST(SampleBilinear, OnePixelWideOrHighReadsOnlyThatColumnOrRow) {
    // Exactly-sized buffers, so a read past them is a sanitizer report.
    std::vector<PIXEL_YC> column = {px(10, 0, 0), px(20, 0, 0), px(30, 0, 0)};
    PIXEL_YC got = sample_bilinear(column.data(), 1, 3, 1, 0.75, 0.5);
    EXPECT_EQ(got.y, 15);
    got = sample_bilinear(column.data(), 1, 3, 1, -3.5, 7.0);
    EXPECT_EQ(got.y, 30);

    std::vector<PIXEL_YC> row = {px(10, 0, 0), px(20, 0, 0), px(30, 0, 0)};
    got = sample_bilinear(row.data(), 3, 1, 3, 1.5, 0.9);
    EXPECT_EQ(got.y, 25);
    got = sample_bilinear(row.data(), 3, 1, 3, 1.5, -2.2);
    EXPECT_EQ(got.y, 25);

    const PIXEL_YC single = px(-7, 8, 9);
    got = sample_bilinear(&single, 1, 1, 1, -100.3, 100.7);
    EXPECT_EQ(got.y, -7);
    EXPECT_EQ(got.cb, 8);
    EXPECT_EQ(got.cr, 9);
}

TEST(SampleBilinear, RowPitchWiderThanThePicture) {
    // 2 x 2 picture in rows 3 pixels apart; the third column is not picture.
    const PIXEL_YC picture[6] = {px(0, 0, 0), px(10, 0, 0), px(999, 0, 0),
                                 px(20, 0, 0), px(30, 0, 0), px(999, 0, 0)};
    EXPECT_EQ(sample_bilinear(picture, 2, 2, 3, 1.0, 1.0).y, 30);
    EXPECT_EQ(sample_bilinear(picture, 2, 2, 3, 4.0, 0.5).y, 20);
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect/scale_frame.h"
#include "params/track_index.h"
#include "shared/frame_rate_cache.h"
#include "shared/track_table.h"
#include "tests/fixture.h"

namespace {

// Y carries the column and Cb the row, so a sample shows where it came from.
void fill_coordinates(fixture_frame& f, int y_per_column, int cb_per_row) {
    for (int y = 0; y < f.fpip.h; y++) {
        for (int x = 0; x < f.fpip.w; x++) {
            PIXEL_YC& p = f.edit[static_cast<size_t>(y) * f.fpip.max_w + x];
            p.y = static_cast<int16_t>(x * y_per_column);
            p.cb = static_cast<int16_t>(y * cb_per_row);
            p.cr = 0;
        }
    }
}

const PIXEL_YC& out_at(const fixture_frame& f, int x, int y) {
    return f.fpip.ycp_edit[static_cast<size_t>(y) * f.fpip.max_w + x];
}

bool untouched(const std::vector<PIXEL_YC>& buffer) {
    for (const PIXEL_YC& p : buffer)
        if (!same_pixel(p, sentinel_pixel)) return false;
    return true;
}

TEST(ScaleFrame, DefaultRoadTransformsOnlyTheLastFourFramesOfTen) {
    fixture_host host;
    fixture_init(host);
    for (int frame = 0; frame <= 20; frame++) {
        fixture_frame f;
        fixture_frame_init(f, 8, 6, 8, frame);
        fixture_fill_random(f, frame);
        const std::vector<PIXEL_YC> before = f.edit;
        EXPECT_EQ(scale_frame(&host.fp, &f.fpip), TRUE);
        const bool bounce = frame % 10 >= 6;
        EXPECT_EQ(f.fpip.ycp_edit, bounce ? f.temp.data() : f.edit.data()) << frame;
        EXPECT_EQ(f.fpip.ycp_temp, bounce ? f.edit.data() : f.temp.data()) << frame;
        EXPECT_EQ(untouched(f.temp), !bounce) << frame;
        EXPECT_TRUE(same_pixels(f.edit, before)) << "the source is never written, frame " << frame;
    }
}

TEST(ScaleFrame, BeforeTheStartFrameCachesTheRateAndPassesTheFrame) {
    fixture_host host;
    fixture_init(host);
    host.track[track_start_frame] = 300;
    host.video_rate = 30000;
    host.video_scale = 1001;
    fixture_frame f;
    fixture_frame_init(f, 4, 4, 4, 299);
    EXPECT_EQ(scale_frame(&host.fp, &f.fpip), TRUE);
    EXPECT_EQ(host.file_info_calls, 1);
    EXPECT_EQ(last_video_rate, 30000);
    EXPECT_EQ(last_video_scale, 1001);
    EXPECT_EQ(f.fpip.ycp_edit, f.edit.data());
    EXPECT_TRUE(untouched(f.temp));

    f.fpip.frame = 306;  // six frames after the start: phase 1
    scale_frame(&host.fp, &f.fpip);
    EXPECT_EQ(f.fpip.ycp_edit, f.temp.data());
}

TEST(ScaleFrame, ReadsAllSixTracksBeforeTheStartTest) {
    fixture_host host;
    fixture_init(host);
    track_index.clear();  // every read now misses and shows its box
    host.video_rate = 25;
    fixture_frame f;
    fixture_frame_init(f, 4, 4, 4, 7);
    EXPECT_EQ(scale_frame(&host.fp, &f.fpip), TRUE);
    EXPECT_EQ(platform_log.count, 6);
    EXPECT_NE(std::string(platform_log.text).find(label_start_frame), std::string::npos);
    EXPECT_EQ(last_video_rate, 25);
    // All tracks read as 0: a subdivision of 0 keeps every frame in phase 0.
    EXPECT_EQ(f.fpip.ycp_edit, f.edit.data());
}

TEST(ScaleFrame, Phase2CoordinatesOfA512x384Picture) {
    // The coordinates themselves, as the transform forms them.
    const double xf = 1.0 / 1.02, yf = 1.0 / 0.985;
    EXPECT_EQ(static_cast<double>(0 - 256) * xf + 256, 5.0196078431372655);
    EXPECT_EQ(static_cast<double>(511 - 256) * xf + 256, 506.0);
    EXPECT_EQ(static_cast<double>(0 - 192) * yf + 192, -2.923857868020292);

    fixture_host host;
    fixture_init(host);
    fixture_frame f;
    fixture_frame_init(f, 512, 384, 512, 7);  // frame 7 of the default road: phase 2
    fill_coordinates(f, 60, 80);
    scale_frame(&host.fp, &f.fpip);

    const double fx = 5.0196078431372655 - 5;  // columns 5 and 6
    EXPECT_EQ(out_at(f, 0, 192).y, static_cast<int>(300 * (1 - fx) + 360 * fx));
    EXPECT_EQ(out_at(f, 0, 192).y, 301);
    EXPECT_EQ(out_at(f, 511, 192).y, 506 * 60);  // exactly column 506
    // Row 0 samples -2.9238...: rows 0 and 1 with weights 0.9239 and 0.0761.
    EXPECT_EQ(out_at(f, 100, 0).cb, 6);
    EXPECT_EQ(out_at(f, 256, 192).y, 256 * 60);  // the reference point stays
    EXPECT_EQ(out_at(f, 256, 192).cb, 192 * 80);
}

TEST(ScaleFrame, ReferencePointFarRightOfThePicture) {
    fixture_host host;
    fixture_init(host);
    host.track[track_ref_x] = 2000;
    EXPECT_EQ(static_cast<double>(0 - 2000) * (1.0 / 1.02) + 2000, 39.215686274509835);
    fixture_frame f;
    fixture_frame_init(f, 640, 2, 640, 7);
    fill_coordinates(f, 50, 0);
    scale_frame(&host.fp, &f.fpip);
    EXPECT_EQ(out_at(f, 0, 0).y, static_cast<int>(39 * 50 * (1 - 0.215686274509835) +
                                                   40 * 50 * 0.215686274509835));
    for (int x = 612; x < 640; x++) EXPECT_EQ(out_at(f, x, 0).y, 639 * 50) << x;
    EXPECT_LT(out_at(f, 611, 0).y, 639 * 50);
}

TEST(ScaleFrame, Rows134ChangeOnlyTheVerticalGeometry) {
    fixture_host host;
    fixture_init(host);
    for (int frame : {6, 8, 9}) {
        fixture_frame f;
        fixture_frame_init(f, 40, 30, 40, frame);
        fill_coordinates(f, 700, 1000);
        scale_frame(&host.fp, &f.fpip);
        for (int y = 0; y < 30; y++)
            for (int x = 0; x < 40; x++) ASSERT_EQ(out_at(f, x, y).y, x * 700) << frame;
    }
}

TEST(ScaleFrame, PixelsOutsideThePictureAreNeverWritten) {
    fixture_host host;
    fixture_init(host);
    for (int frame = 6; frame <= 9; frame++) {
        fixture_frame f;
        fixture_frame_init(f, 5, 4, 9, frame);
        fixture_fill_random(f, frame);
        scale_frame(&host.fp, &f.fpip);
        for (int y = 0; y < 4; y++)
            for (int x = 5; x < 9; x++)
                ASSERT_TRUE(same_pixel(f.temp[static_cast<size_t>(y) * 9 + x], sentinel_pixel));
    }
}

TEST(ScaleFrame, EmptyPicturesAreSwappedWithoutWriting) {
    fixture_host host;
    fixture_init(host);
    const int sizes[][2] = {{0, 4}, {4, 0}, {0, 0}, {-3, 4}, {4, -3}};
    for (const auto& size : sizes) {
        PIXEL_YC edit = sentinel_pixel, temp = sentinel_pixel;
        FILTER_PROC_INFO fpip = FILTER_PROC_INFO();
        fpip.ycp_edit = &edit;
        fpip.ycp_temp = &temp;
        fpip.w = size[0];
        fpip.h = size[1];
        fpip.max_w = 1;
        fpip.frame = 8;
        EXPECT_EQ(scale_frame(&host.fp, &fpip), TRUE);
        EXPECT_EQ(fpip.ycp_edit, &temp);
        EXPECT_EQ(fpip.ycp_temp, &edit);
        EXPECT_TRUE(same_pixel(temp, sentinel_pixel));
    }
}

TEST(ScaleFrame, OnePixelWideAndHighPicturesInEveryPhase) {
    fixture_host host;
    fixture_init(host);
    const int sizes[][2] = {{1, 7}, {7, 1}, {1, 1}};
    for (const auto& size : sizes) {
        for (int frame = 6; frame <= 9; frame++) {
            fixture_frame f;  // exactly sized: a stray read is a sanitizer report
            fixture_frame_init(f, size[0], size[1], size[0], frame);
            fill_coordinates(f, 1000, 1000);
            scale_frame(&host.fp, &f.fpip);
            for (int y = 0; y < size[1]; y++) {
                for (int x = 0; x < size[0]; x++) {
                    const PIXEL_YC& p = out_at(f, x, y);
                    EXPECT_GE(p.y, 0);
                    EXPECT_LE(p.y, (size[0] - 1) * 1000);
                    EXPECT_GE(p.cb, 0);
                    EXPECT_LE(p.cb, (size[1] - 1) * 1000);
                }
            }
        }
    }
}

}  // namespace

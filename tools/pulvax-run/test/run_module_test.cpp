// The tool's frame path through the real module, loaded from its file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect/phase_table.h"
#include "effect/resample.h"
#include "tools/pulvax-run/run_module.h"
#include "tools/pulvax-run/yc_convert.h"

class module_run : public testing::Test {
protected:
    editor_host host;
    int positions[key_count];

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(editor_load(host, PULVAX_MODULE_PATH, error)) << error;
        ASSERT_TRUE(find_track_positions(host.fp, positions, error)) << error;
    }
    void TearDown() override {
        if (host.module) editor_unload(host);
    }
    void apply(const std::vector<track_setting>& settings) {
        std::string error;
        ASSERT_TRUE(check_settings(host, positions, settings, error)) << error;
        ASSERT_TRUE(apply_settings(host, positions, settings, error)) << error;
    }
};

static y4m_format format_of(y4m_chroma chroma, int w, int h, int rate, int scale) {
    y4m_format f;
    f.chroma = chroma;
    f.w = w;
    f.h = h;
    f.rate = rate;
    f.scale = scale;
    return f;
}

TEST_F(module_run, labels_give_the_positions_and_ranges) {
    const int expected[key_count] = {0, 1, 2, 3, 4, 5, 6};
    for (int k = 0; k < key_count; k++) EXPECT_EQ(positions[k], expected[k]) << k;
    std::string error;
    EXPECT_FALSE(check_track_range(host.fp, key_period, positions[key_period], 0, error));
    EXPECT_EQ(error, "--period must be between 1 and 10000");
    EXPECT_FALSE(check_track_range(host.fp, key_bpm, positions[key_bpm], 10001, error));
    EXPECT_EQ(error, "--bpm must be between 0.1 and 1000.0");
    EXPECT_FALSE(check_track_range(host.fp, key_start_frame, positions[key_start_frame], -301, error));
    EXPECT_EQ(error, "--start-frame must be between -300 and 300");
    // Values that would wrap to an in-range int are refused as they are.
    EXPECT_FALSE(check_track_range(host.fp, key_bpm, positions[key_bpm], 4294967300LL, error));
    EXPECT_FALSE(check_track_range(host.fp, key_ref_x, positions[key_ref_x], 4294967296LL + 5, error));
    EXPECT_TRUE(check_track_range(host.fp, key_start_frame, positions[key_start_frame], -300, error));
}

// The tempo goes through the module's coupling at the stream's rate, which
// the warm-up frame has shown it.
TEST_F(module_run, bpm_reaches_the_period_at_the_stream_rate) {
    std::string error;
    ASSERT_TRUE(module_start(host, positions, format_of(chroma_420, 16, 16, 30000, 1001), error)) << error;
    apply({{key_bpm, 1200}});
    EXPECT_EQ(host.track[positions[key_period]], 1498);
    EXPECT_EQ(host.track[positions[key_period_div]], 100);
    EXPECT_EQ(host.track[positions[key_bpm]], 1200);
    EXPECT_NE(tracks_text(host, positions).find("period=1498 period-div=100 bpm=120.0"),
              std::string::npos)
        << tracks_text(host, positions);

    ASSERT_TRUE(module_start(host, positions, format_of(chroma_420, 16, 16, 25, 1), error)) << error;
    apply({{key_bpm, 1201}, {key_bpm, 1200}});
    EXPECT_EQ(host.track[positions[key_period]], 1250);
}

static void fill_random(std::vector<uint8_t>& planes, uint32_t seed) {
    for (uint8_t& b : planes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
}

// Frames 0..9 of a ten-frame cycle: the unchanged ones come back
// byte-identical, the bouncing ones equal the reference resampling of the
// same samples, converted back the tool's way.
TEST_F(module_run, frames_match_the_reference_path) {
    const y4m_format formats[] = {format_of(chroma_420, 64, 48, 30, 1),
                                  format_of(chroma_444, 37, 23, 30, 1),
                                  format_of(chroma_422, 18, 9, 30, 1)};
    for (const y4m_format& f : formats) {
        std::string error;
        ASSERT_TRUE(module_start(host, positions, f, error)) << error;
        apply({{key_ref_x, 20}, {key_ref_y, 9}, {key_period_div, 1}, {key_period, 10},
               {key_stretch_frames, 1}, {key_start_frame, 0}});
        const beat_tracks beat = {10, 1, 1, 0};
        std::vector<uint8_t> in(frame_bytes(f)), out;
        for (int frame = 0; frame < 10; frame++) {
            fill_random(in, 100 + frame);
            frame_result r;
            ASSERT_TRUE(module_frame(host, f, frame, in, out, r, error)) << error;
            const int phase = frame_phase(beat, frame);
            EXPECT_EQ(r.changed, phase != 0) << frame;
            EXPECT_TRUE(r.timed);
            if (phase == 0) {
                EXPECT_EQ(out, in) << "frame " << frame << " " << f.w << "x" << f.h;
                continue;
            }
            std::vector<PIXEL_YC> src(static_cast<size_t>(f.w) * f.h), dst(src.size());
            planes_to_yc(f, in.data(), src.data(), f.w);
            resample_reference(phase_job(src.data(), dst.data(), f.w, f.h, f.w, 20, 9, phase));
            std::vector<uint8_t> expected(frame_bytes(f));
            yc_to_planes(f, dst.data(), f.w, expected.data());
            EXPECT_EQ(out, expected) << "frame " << frame << " " << f.w << "x" << f.h;
            EXPECT_NE(out, in);
        }
    }
}

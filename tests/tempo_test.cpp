#include <gtest/gtest.h>

#include "params/tempo.h"
#include "params/track_index.h"
#include "shared/frame_rate_cache.h"
#include "shared/track_table.h"
#include "tests/fixture.h"

namespace {

struct tempo_case {
    const char* what;
    int rate, scale;
    int period, div, stretch, bpm;              // as read
    int prev_period, prev_div, prev_bpm;        // remembered
    int out_period, out_div, out_bpm;           // written and remembered after
};

const tempo_case tempo_cases[] = {
    {"first run, initial values", 30, 1, 10, 1, 1, 1800, -1, -1, -1, 10, 1, 1800},
    {"first run at 29.97", 30000, 1001, 10, 1, 1, 1800, -1, -1, -1, 10, 1, 1798},
    {"period set to 15", 30, 1, 15, 1, 1, 1800, 10, 1, 1800, 15, 1, 1200},
    {"period set to 15 at 29.97", 30000, 1001, 15, 1, 1, 1798, 10, 1, 1798, 15, 1, 1198},
    {"period_div set to 2", 30, 1, 10, 2, 1, 1800, 10, 1, 1800, 10, 2, 3600},
    {"bpm_x10 set to 1200", 30, 1, 10, 1, 1, 1200, 10, 1, 1800, 1500, 100, 1200},
    {"bpm_x10 set to 1200 at 29.97", 30000, 1001, 10, 1, 1, 1200, 10, 1, 1798, 1498, 100, 1200},
    {"bpm_x10 set to 1200 at 25", 25, 1, 10, 1, 1, 1200, 10, 1, 1500, 1250, 100, 1200},
    {"bpm_x10 10000, then shortest period", 30, 1, 10, 1, 1, 10000, 10, 1, 1800, 401, 100, 4488},
    {"period 20 at div 100, then shortest", 30, 1, 20, 100, 1, 1200, 1500, 100, 1200, 401, 100,
     4488},
    {"stretch_frames 10, shortest 41", 30, 1, 10, 1, 10, 1800, 10, 1, 1800, 41, 1, 439},
    {"ref_x moved: nothing changed", 30, 1, 10, 1, 1, 1800, 10, 1, 1800, 10, 1, 1800},
    {"bpm_x10 set to 10", 30, 1, 10, 1, 1, 10, 10, 1, 1800, 180000, 100, 10},
    {"period 10000 at 15 fps", 15, 1, 10000, 1, 1, 900, 10, 1, 900, 10000, 1, 0},
    {"both sides changed: tempo recomputed", 30, 1, 15, 1, 1, 5000, 10, 1, 1800, 15, 1, 1200},
    {"rate and scale 0 count as 1", 0, 0, 10, 1, 1, 1800, -1, -1, -1, 10, 1, 60},
    {"negative rate counts as 1", -5, -7, 10, 1, 1, 1800, -1, -1, -1, 10, 1, 60},
    // Outside the 32-bit design range the quotients are still the true ones.
    {"tempo 120.0 at 59.94", 60000, 1001, 10, 1, 1, 1200, 10, 1, 1800, 2997, 100, 1200},
    {"tempo 120.0 at 119.88", 120000, 1001, 10, 1, 1, 1200, 10, 1, 1800, 5994, 100, 1200},
    {"period 2997 at div 100, 59.94", 60000, 1001, 2997, 100, 1, 1200, 1500, 100, 1200, 2997, 100,
     1200},
    {"period 100 at div 100, 119.88", 120000, 1001, 100, 100, 1, 1200, 1500, 100, 1200, 401,
     100, 17937},
    // 1000 fps at 1/1 with 0.1 BPM: the period does not fit a track value.
    {"period saturates", 2000000000, 1, 10, 1, 1, 1, 10, 1, 1800, 2147483647, 100, 1},
};

void run_case(fixture_host& host, const tempo_case& c) {
    host.track[track_period] = c.period;
    host.track[track_period_div] = c.div;
    host.track[track_stretch_frames] = c.stretch;
    host.track[track_bpm_x10] = c.bpm;
    prev_period = c.prev_period;
    prev_period_div = c.prev_div;
    prev_bpm_x10 = c.prev_bpm;
    last_video_rate = c.rate;
    last_video_scale = c.scale;
    reconcile_tempo(&host.fp);
}

TEST(Tempo, WrittenAndRememberedValues) {
    for (const tempo_case& c : tempo_cases) {
        fixture_host host;
        fixture_init(host);
        run_case(host, c);
        SCOPED_TRACE(c.what);
        EXPECT_EQ(host.track[track_period], c.out_period);
        EXPECT_EQ(host.track[track_period_div], c.out_div);
        EXPECT_EQ(host.track[track_bpm_x10], c.out_bpm);
        EXPECT_EQ(prev_period, c.out_period);
        EXPECT_EQ(prev_period_div, c.out_div);
        EXPECT_EQ(prev_bpm_x10, c.out_bpm);
        EXPECT_EQ(host.window_updates, 1) << "every run redraws the window";
        EXPECT_EQ(host.track[track_stretch_frames], c.stretch) << "stretch_frames is never written";
    }
}

TEST(Tempo, UnclampedResultsComeBackClamped) {
    fixture_host host;
    fixture_init(host);
    // 1.0 BPM at 30 fps writes a period of 180000; handed back, it reads as 10000.
    run_case(host, tempo_cases[12]);
    ASSERT_EQ(host.track[track_period], 180000);
    reconcile_tempo(&host.fp);
    EXPECT_EQ(host.track[track_period], 10000);
    EXPECT_EQ(host.track[track_period_div], 100);
    EXPECT_EQ(host.track[track_bpm_x10], 180);

    // A tempo of 0 reads back as 1: the tempo side changed.
    fixture_init(host);
    run_case(host, tempo_cases[13]);
    ASSERT_EQ(host.track[track_bpm_x10], 0);
    reconcile_tempo(&host.fp);
    EXPECT_EQ(host.track[track_period], 900000);
    EXPECT_EQ(host.track[track_period_div], 100);
    EXPECT_EQ(host.track[track_bpm_x10], 1);
}

TEST(Tempo, NothingChangedStillWritesClampedValuesAndRedraws) {
    fixture_host host;
    fixture_init(host);
    reconcile_tempo(&host.fp);
    host.track[track_period] = 10;  // unchanged
    host.track[track_ref_x] = 999;
    reconcile_tempo(&host.fp);
    EXPECT_EQ(host.track[track_period], 10);
    EXPECT_EQ(host.track[track_period_div], 1);
    EXPECT_EQ(host.track[track_bpm_x10], 1800);
    EXPECT_EQ(host.window_updates, 2);
}

TEST(Tempo, RunBeforeAnyFrameUsesThirtyFramesPerSecond) {
    fixture_host host;
    fixture_init(host);  // the cache as at load: 30/1
    host.video_rate = 30000;
    host.video_scale = 1001;  // the file's rate, not yet seen by any frame
    reconcile_tempo(&host.fp);
    EXPECT_EQ(host.track[track_bpm_x10], 1800);
}

TEST(Tempo, ZeroReadsLeaveThatSideAsRead) {
    fixture_host host;
    fixture_init(host);
    // Without the index every read yields 0; nothing may divide by it, and the
    // positions cannot be found, so no track is written.
    track_index.clear();
    reconcile_tempo(&host.fp);
    EXPECT_EQ(host.track[track_period], 10);
    EXPECT_EQ(host.track[track_period_div], 1);
    EXPECT_EQ(host.track[track_bpm_x10], 1800);
    EXPECT_EQ(host.window_updates, 1);
}

}  // namespace

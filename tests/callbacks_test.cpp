// The processing callback's timing read-out, with a scripted tick counter.
#include <gtest/gtest.h>

#include <string>

#include "host/callbacks.h"
#include "host/platform.h"
#include "tests/fixture.h"

static uint32_t scripted_ticks[2];
static int tick_reads;
static uint32_t scripted_tick() { return scripted_ticks[tick_reads++ % 2]; }

static BOOL saving_answer;
static BOOL PULVAX_CDECL scripted_is_saving(void*) { return saving_answer; }

struct callbacks_test : testing::Test {
    fixture_host host;
    fixture_frame frame;
    uint32_t (*saved_source)() = nullptr;
    void SetUp() override {
        fixture_init(host);
        host.exfunc.is_saving = scripted_is_saving;
        saving_answer = FALSE;
        fixture_frame_init(frame, 16, 8, 20, 6);  // frame 6: resampled
        saved_source = platform_tick_source;
        platform_tick_source = scripted_tick;
        tick_reads = 0;
    }
    void TearDown() override { platform_tick_source = saved_source; }
};

#ifndef _WIN32  // the native window keeps its title where the test can read it
TEST_F(callbacks_test, title_shows_the_unsigned_tick_difference_as_signed_decimal) {
    struct case_ {
        uint32_t first, second;
        const char* title;
    };
    const case_ cases[] = {
        {1000, 1000, "PULVAX time:0"},                  // less than one tick
        {1000, 1017, "PULVAX time:17"},
        {0xFFFFFFFEu, 3, "PULVAX time:5"},              // the counter wrapped
        {0, 0x80000000u, "PULVAX time:-2147483648"},    // shown signed
    };
    for (const case_& c : cases) {
        scripted_ticks[0] = c.first;
        scripted_ticks[1] = c.second;
        tick_reads = 0;
        fixture_frame_init(frame, 16, 8, 20, 6);
        EXPECT_EQ(func_proc(&host.fp, &frame.fpip), TRUE);
        EXPECT_EQ(tick_reads, 2);
        EXPECT_STREQ(host.window.title, c.title);
    }
}

TEST_F(callbacks_test, title_keeps_its_text_while_saving) {
    snprintf(host.window.title, sizeof host.window.title, "%s", "PULVAX time:3");
    saving_answer = TRUE;
    scripted_ticks[0] = 0;
    scripted_ticks[1] = 40;
    EXPECT_EQ(func_proc(&host.fp, &frame.fpip), TRUE);
    EXPECT_STREQ(host.window.title, "PULVAX time:3");
    EXPECT_EQ(frame.fpip.ycp_edit, frame.temp.data());  // the frame was still processed
}
#endif

TEST_F(callbacks_test, update_runs_the_tempo_coupling_for_any_status) {
    for (int status : {0, 1, 0x10002, -1}) {
        const int updates = host.window_updates;
        EXPECT_EQ(func_update(&host.fp, status), TRUE) << status;
        EXPECT_EQ(host.window_updates, updates + 1) << status;
    }
}

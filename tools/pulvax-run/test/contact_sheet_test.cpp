#include <gtest/gtest.h>

#include "tools/pulvax-run/contact_sheet.h"

TEST(contact_sheet, cycle_frames_and_phases) {
    const struct {
        beat_tracks t;
        int first, count;
        int phases[12];  // of frames first, first + 1, ...
    } cases[] = {
        // Defaults: frames 0..9, the last four bouncing.
        {{10, 1, 1, 0}, 0, 10, {0, 0, 0, 0, 0, 0, 1, 2, 3, 4}},
        // A period too short for the phases is lengthened to 5.
        {{3, 1, 1, 0}, 0, 5, {0, 1, 2, 3, 4}},
        // From the start frame on; before frame 0 the first whole cycle counts.
        {{10, 1, 1, 4}, 4, 10, {0, 0, 0, 0, 0, 0, 1, 2, 3, 4}},
        {{10, 1, 1, -3}, 7, 10, {0, 0, 0, 0, 0, 0, 1, 2, 3, 4}},
        // 14.5 frames a cycle: the first starts at frame 0 and lasts 15 frames.
        {{29, 2, 1, 0}, 0, 15, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        // 120 BPM at 29.97: 14.98 frames, bouncing in frames 11 to 14.
        {{1498, 100, 1, 0}, 0, 15, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        // A long cycle shows its last frames, where it bounces.
        {{10000, 1, 2, 0}, 10000 - sheet_max_tiles, sheet_max_tiles, {0}},
    };
    for (const auto& c : cases) {
        int first = -1, count = -1;
        sheet_frames(c.t, first, count);
        EXPECT_EQ(first, c.first) << c.t.period << "/" << c.t.period_div;
        EXPECT_EQ(count, c.count) << c.t.period << "/" << c.t.period_div;
        for (int i = 0; i < count && i < 12; i++) {
            EXPECT_EQ(frame_phase(c.t, first + i), c.phases[i]) << "frame " << first + i;
        }
    }
    const beat_tracks late = {10, 1, 1, 5};
    EXPECT_EQ(frame_phase(late, 4), -1);
    EXPECT_EQ(frame_phase(late, 11), 1);
    const beat_tracks long_cycle = {10000, 1, 2, 0};
    EXPECT_EQ(frame_phase(long_cycle, 9991), 0);
    EXPECT_EQ(frame_phase(long_cycle, 9992), 1);
    EXPECT_EQ(frame_phase(long_cycle, 9999), 4);
}

#include <gtest/gtest.h>

#include <string>

#include "host/platform.h"
#include "params/track_index.h"
#include "shared/track_table.h"
#include "tests/fixture.h"

namespace {

struct clamp_case {
    int position;
    int stored;
    int expected;
};

const clamp_case clamp_cases[] = {
    // at and past both bounds of every kind of track
    {0, 0, 0},         {0, -1, 0},        {0, 2000, 2000},    {0, 2001, 2000},
    {1, -2147483647 - 1, 0},              {1, 2147483647, 2000},
    {2, 1, 1},         {2, 0, 1},         {2, 10000, 10000},  {2, 180000, 10000},
    {3, 0, 1},         {3, 100, 100},     {3, 101, 100},
    {4, 0, 1},         {4, 1, 1},         {4, 10000, 10000},  {4, 10001, 10000},
    {5, 0, 1},         {5, 10, 10},       {5, 11, 10},
    {6, -300, -300},   {6, -301, -300},   {6, 300, 300},      {6, 301, 300},
    {6, 5, 5},
};

TEST(ReadTrack, InitialValuesByLabel) {
    fixture_host host;
    fixture_init(host);
    const int expected[track_n] = {256, 192, 10, 1, 1800, 1, 0};
    for (int i = 0; i < track_n; i++) EXPECT_EQ(read_track(track_name[i], &host.fp), expected[i]);
    EXPECT_EQ(platform_log.count, 0);
}

TEST(ReadTrack, ClampsAtAndPastBothBounds) {
    fixture_host host;
    fixture_init(host);
    for (const clamp_case& c : clamp_cases) {
        host.track[c.position] = c.stored;
        EXPECT_EQ(read_track(track_name[c.position], &host.fp), c.expected)
            << "position " << c.position << " stored " << c.stored;
        EXPECT_EQ(host.track[c.position], c.stored) << "read_track must not write the track";
    }
}

TEST(ReadTrack, LowerBoundFirstThenUpper) {
    fixture_host host;
    fixture_init(host);
    const int lower[track_n] = {50, 0, 0, 0, 0, 0, 0};
    const int upper[track_n] = {10, 0, 0, 0, 0, 0, 0};
    host.fp.track_s = lower;
    host.fp.track_e = upper;
    host.track[0] = 30;
    EXPECT_EQ(read_track(label_ref_x, &host.fp), 10);
}

TEST(ReadTrack, MissingLabelShowsTheBoxAndReadsZero) {
    fixture_host host;
    fixture_init(host);
    for (int round = 1; round <= 2; round++) {
        EXPECT_EQ(read_track("bpm", &host.fp), 0);
        EXPECT_EQ(platform_log.count, round) << "every read shows the box again";
        EXPECT_EQ(std::string(platform_log.text),
                  "track bpm \x82\xCD\x91\xB6\x8D\xDD\x82\xB5\x82\xDC\x82\xB9\x82\xF1");
        EXPECT_EQ(std::string(platform_log.caption), "\x83\x47\x83\x89\x81\x5B");
        EXPECT_EQ(platform_log.owner, fixture_hwnd(host));
        EXPECT_EQ(platform_log.type, 0u);  // MB_OK
        EXPECT_EQ(track_index.size(), 7u);
        EXPECT_EQ(track_index.count("bpm"), 0u);
    }
#ifndef _WIN32
    EXPECT_EQ(host.window.box_count, 2);
    EXPECT_EQ(std::string(host.window.box_caption), "\x83\x47\x83\x89\x81\x5B");
#endif
}

TEST(ReadTrack, MissingLabelOfAnyLengthStaysInsideTheMessageBuffer) {
    fixture_host host;
    fixture_init(host);
    const std::string huge(20000, 'x');
    EXPECT_EQ(read_track(huge.c_str(), &host.fp), 0);
    EXPECT_EQ(std::string(platform_log.text).size(), 8191u);
    EXPECT_EQ(std::string(platform_log.text).compare(0, 8, "track xx"), 0);
}

}  // namespace

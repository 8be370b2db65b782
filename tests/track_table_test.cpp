#include <gtest/gtest.h>

#include <string>

#include "params/track_index.h"
#include "shared/track_access.h"
#include "shared/track_table.h"
#include "tests/fixture.h"

namespace {

// The UTF-8 labels the tools print, written out by hand.
const char* const expected_utf8[track_n] = {
    "\xE5\x9F\xBA\xE6\xBA\x96x", "\xE5\x9F\xBA\xE6\xBA\x96y", "\xE5\x91\xA8\xE6\x9C\x9F",
    "\xE5\x91\xA8\xE6\x9C\x9F" "div", "bpm*10", "\xE4\xBC\xB8\xE7\xB8\xAE" "F",
    "\xE9\x96\x8B\xE5\xA7\x8B" "F",
};

struct track_row {
    const char* bytes;  // the label as the editor must see it
    int initial, lower, upper;
};

// Label bytes, initial values and ranges, position by position.
const track_row expected_tracks[track_n] = {
    {"\x8A\xEE\x8F\x80\x78", 256, 0, 2000},
    {"\x8A\xEE\x8F\x80\x79", 192, 0, 2000},
    {"\x8E\xFC\x8A\xFA", 10, 1, 10000},
    {"\x8E\xFC\x8A\xFA\x64\x69\x76", 1, 1, 100},
    {"\x62\x70\x6D\x2A\x31\x30", 1800, 1, 10000},
    {"\x90\x4C\x8F\x6B\x46", 1, 1, 10},
    {"\x8A\x4A\x8E\x6E\x46", 0, -300, 300},
};

TEST(TrackTable, LabelsInitialValuesAndRangesByPosition) {
    for (int i = 0; i < track_n; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::string(track_name[i]), std::string(expected_tracks[i].bytes));
        EXPECT_EQ(track_default[i], expected_tracks[i].initial);
        EXPECT_EQ(track_s[i], expected_tracks[i].lower);
        EXPECT_EQ(track_e[i], expected_tracks[i].upper);
    }
}

TEST(TrackIndex, HoldsExactlyTheSevenLabelsAfterEveryRebuild) {
    fixture_host host;
    fixture_init(host);
    build_track_index();
    build_track_index();
    ASSERT_EQ(track_index.size(), 7u);
    for (int i = 0; i < track_n; i++) EXPECT_EQ(track_index.at(expected_tracks[i].bytes), i);
}

TEST(TrackIndex, PrefixLabelsAreSeparateKeys) {
    fixture_host host;
    fixture_init(host);
    host.track[2] = 77;
    host.track[3] = 9;
    EXPECT_EQ(read_track("\x8E\xFC\x8A\xFA", &host.fp), 77);
    EXPECT_EQ(read_track("\x8E\xFC\x8A\xFA\x64\x69\x76", &host.fp), 9);
}

TEST(TrackIndex, LabelsMatchOnlyByteForByte) {
    fixture_host host;
    fixture_init(host);
    const char* const strangers[] = {
        "\xE5\x91\xA8\xE6\x9C\x9F",  // the period label in UTF-8
        "BPM*10",                    // case differs
        "bpm",                       // a prefix of a label
        "\x8E\xFC\x8A\xFA\x44\x49\x56",
        "",
    };
    for (const char* label : strangers) {
        EXPECT_EQ(track_index.count(label), 0u) << label;
    }
}

TEST(TrackTable, Utf8LabelsByPosition) {
    for (int i = 0; i < track_n; i++) EXPECT_EQ(std::string(track_label_utf8[i]), expected_utf8[i]) << i;
}

// A loaded module's record searched by label, as the tools do: byte for byte,
// the last of equal labels (as track_index keeps), -1 for none or no labels.
TEST(TrackAccess, PositionInARecord) {
    const char* labels[] = {"a", "\x8E\xFC\x8A\xFA", nullptr, "\x8E\xFC\x8A\xFA\x64\x69\x76", "a"};
    FILTER record = FILTER();
    record.track_n = 5;
    record.track_name = labels;
    EXPECT_EQ(track_position_in(record, "\x8E\xFC\x8A\xFA"), 1);
    EXPECT_EQ(track_position_in(record, "\x8E\xFC\x8A\xFA\x64\x69\x76"), 3);
    EXPECT_EQ(track_position_in(record, "a"), 4);
    EXPECT_EQ(track_position_in(record, "A"), -1);
    EXPECT_EQ(track_position_in(record, ""), -1);
    record.track_n = 4;
    EXPECT_EQ(track_position_in(record, "a"), 0);
    record.track_name = nullptr;
    EXPECT_EQ(track_position_in(record, "a"), -1);
}

}  // namespace

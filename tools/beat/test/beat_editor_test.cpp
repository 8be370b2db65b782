// Track values from a found beat, and the text and JSON that show them.
#include <gtest/gtest.h>
#include <math.h>

#include <string>

#include "tools/beat/beat_editor.h"
#include "tools/beat/beat_format.h"

namespace {

beat_result found(double bpm, double first_beat_s) {
    beat_result r;
    r.found = true;
    r.bpm = bpm;
    r.first_beat_s = first_beat_s;
    r.confidence = 0.875;
    r.doubled = {2 * bpm, first_beat_s};
    r.halved = {bpm / 2, first_beat_s};
    return r;
}

struct editor_case {
    const char* name;
    double bpm, first_beat_s;
    int fps_num, fps_den;
    double nudge_ms;
    int bpm_x10, period, period_div, start_frame;
};

TEST(beat_for_editor, gives_the_tracks_at_full_precision_and_a_start_frame_in_range) {
    const editor_case cases[] = {
        // 30 * 60 / 128 = 14.0625 frames per beat; 0.37 s = frame 11.1, the
        // beat before it frame -2.96.
        {"128 at 30 fps", 128, 0.37, 30, 1, 0, 1280, 1406, 100, -3},
        // 29.97 fps: 14.048 frames per beat, not the 14.06 that bpm*10 1280 gives.
        {"128 at 29.97 fps", 128, 0.37, 30000, 1001, 0, 1280, 1405, 100, -3},
        // The tempo goes to one decimal in bpm*10; the period keeps it all:
        // 30 * 60 / 127.96 = 14.0669.
        {"127.96 rounds up in bpm*10 only", 127.96, 0.37, 30, 1, 0, 1280, 1407, 100, -3},
        // 8.62 frames per beat; the first beat at frame 0.63 rounds to 1.
        {"174 at 25 fps", 174, 0.0253, 25, 1, 0, 1740, 862, 100, -8},
        {"a beat on frame 0", 120, 0.0, 30, 1, 0, 1200, 1500, 100, 0},
        {"a beat 0.4 frame after 0", 120, 0.4 / 30, 30, 1, 0, 1200, 1500, 100, 0},
        // Any beat of the grid gives the same start: frame 360 is 25.6 beats
        // after frame -5.6.
        {"a later beat of the grid", 128, 12.0, 30, 1, 0, 1280, 1406, 100, -6},
        // Nudged 20 ms later: 0.39 s = frame 11.7, the beat before -2.36.
        {"nudge later", 128, 0.37, 30, 1, 20, 1280, 1406, 100, -2},
        // Nudged 400 ms earlier: -0.03 s, frame -0.9.
        {"nudge earlier", 128, 0.37, 30, 1, -400, 1280, 1406, 100, -1},
        // Nudged 150 ms later to frame 15.6: the beat before it, frame
        // 1.54, now comes after frame 0, so the start is one more beat back.
        {"nudge brings an earlier beat in", 128, 0.37, 30, 1, 150, 1280, 1406, 100, -13},
        // 60 BPM at 240 fps: 240 frames per beat, beyond 10000 hundredths, so
        // 41 units per frame (9840).
        {"long beat lowers period_div", 60, 0.5, 240, 1, 0, 600, 9840, 41, -120},
        // 400 frames per beat: the beat before frame 40 would be -360, out
        // of range, so the first beat itself.
        {"beat longer than 300 frames", 60, 0.1, 400, 1, 0, 600, 10000, 25, 40},
    };
    for (const editor_case& c : cases) {
        SCOPED_TRACE(c.name);
        beat_editor_values v = beat_for_editor(found(c.bpm, c.first_beat_s), c.fps_num, c.fps_den, c.nudge_ms);
        EXPECT_EQ(v.bpm_x10, c.bpm_x10);
        EXPECT_EQ(v.period, c.period);
        EXPECT_EQ(v.period_div, c.period_div);
        EXPECT_EQ(v.start_frame, c.start_frame);
        EXPECT_GE(v.start_frame, -300);
        EXPECT_LE(v.start_frame, 300);
        EXPECT_LE(v.period, 10000);
    }
}

// Whatever the first beat and nudge, the start frame is a beat of the grid
// (within rounding to a frame), at or before frame 0, less than a beat before.
TEST(beat_for_editor, start_frame_is_always_a_grid_beat_in_range) {
    for (double first = 0; first < 400; first += 7.77) {
        for (double nudge : {-2000.0, -35.0, 0.0, 35.0, 2000.0}) {
            beat_result r = found(71.3, fmod(first, 60 / 71.3));
            r.first_beat_s = first;  // not the earliest: a grid beat all the same
            beat_editor_values v = beat_for_editor(r, 30000, 1001, nudge);
            ASSERT_LE(v.start_frame, 0);
            ASSERT_GT(v.first_beat_frame, -0.5 - v.frames_per_beat);
            double beats = (v.first_beat_frame - (first + nudge / 1000) * 30000 / 1001) / v.frames_per_beat;
            EXPECT_NEAR(beats, floor(beats + 0.5), 1e-6) << first << " " << nudge;
            EXPECT_LE(fabs(v.start_frame - v.first_beat_frame), 0.5);
        }
    }
}

TEST(beat_format, json_holds_every_field_as_a_number) {
    beat_result r = found(128.00123, 0.3701);
    beat_editor_values v = beat_for_editor(r, 30, 1, 0);
    std::string json = format_beat_json(r, v, 30, 1);
    const char* expected[] = {"{\"bpm\":128.00123,", "\"first_beat_s\":0.3701,", "\"confidence\":0.875,",
                              "\"bpm_x10\":1280,", "\"start_frame\":-3,", "\"period\":1406,",
                              "\"period_div\":100,", "\"fps\":30,", "\"double\":{\"bpm\":256.00246,",
                              "\"half\":{\"bpm\":64.000615,"};
    for (const char* e : expected) EXPECT_NE(json.find(e), std::string::npos) << e << " in " << json;
    EXPECT_EQ(json.back(), '\n');
    EXPECT_EQ(json.find('\n'), json.size() - 1) << "one line";
    EXPECT_EQ(json.substr(json.size() - 3), "}}\n");
}

TEST(beat_format, text_shows_the_values_to_type_with_the_editor_labels) {
    beat_result r = found(128.00123, 0.3701);
    beat_editor_values v = beat_for_editor(r, 30000, 1001, 0);
    std::string text = format_beat_text(r, v, 30000, 1001);
    const char* expected[] = {
        "tempo        128.0 BPM (128.0012)",
        "first beat   0.370 s",
        "confidence   0.88",
        "30000/1001 (29.970) fps",
        "\xE5\x91\xA8\xE6\x9C\x9F 1405 ",                  // period
        "\xE5\x91\xA8\xE6\x9C\x9F\x64\x69\x76 100 ",      // period_div
        "bpm*10 1280 ",
        "\xE9\x96\x8B\xE5\xA7\x8B\x46 -3\n",              // start_frame
        "x2 256.0 BPM", "/2 64.0 BPM",
    };
    for (const char* e : expected) EXPECT_NE(text.find(e), std::string::npos) << e << " in\n" << text;
}

// Every field of a result and its track values written by hand, and the whole
// line they must give, alternatives' first beats included.
TEST(beat_format, json_is_exactly_the_fields_given) {
    beat_result r;
    r.found = true;
    r.bpm = 128.3;
    r.first_beat_s = 0.37;
    r.confidence = 0.875;
    r.reliable = true;
    r.doubled.bpm = 256.5;
    r.doubled.first_beat_s = 0.135;
    r.halved.bpm = 64.125;
    r.halved.first_beat_s = 0.838;
    beat_editor_values v;
    v.bpm_x10 = 1283;
    v.start_frame = -3;
    v.period = 1425;
    v.period_div = 100;
    v.frames_per_beat = 14.25;
    EXPECT_EQ(format_beat_json(r, v, 30, 1),
              "{\"bpm\":128.3,\"first_beat_s\":0.37,\"confidence\":0.875,\"reliable\":true,\"bpm_x10\":1283,"
              "\"start_frame\":-3,\"period\":1425,\"period_div\":100,\"frames_per_beat\":14.25,"
              "\"fps\":30,\"double\":{\"bpm\":256.5,\"first_beat_s\":0.135},"
              "\"half\":{\"bpm\":64.125,\"first_beat_s\":0.838}}\n");
    EXPECT_EQ(format_beat_text(r, v, 30, 1),
              "tempo        128.3 BPM (128.3000)\n"
              "first beat   0.370 s\n"
              "confidence   0.88\n"
              "for the editor at 30 fps (14.2500 frames per beat):\n"
              "  \xE5\x91\xA8\xE6\x9C\x9F 1425   \xE5\x91\xA8\xE6\x9C\x9F" "div 100   bpm*10 1283   "
              "\xE9\x96\x8B\xE5\xA7\x8B" "F -3\n"
              "alternatives x2 256.5 BPM (256.5000, first beat 0.135 s), /2 64.1 BPM (64.1250, first "
              "beat 0.838 s)\n");
}

}  // namespace


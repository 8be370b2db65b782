// `--bpm auto` end to end: the track values found in a generated song, set in
// the real module through the test host, make it bounce into every beat of
// the song: the four changed frames of each cycle end just before the frame
// of a beat, over the whole clip.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "shared/track_access.h"
#include "shared/track_table.h"
#include "testhost/editor_host.h"
#include "tools/beat/beat_command.h"
#include "tools/beat/synth_song.h"

namespace {

int position_of(const editor_host& host, const char* label) { return track_position_in(host.fp, label); }

TEST(bpm_auto, module_bounces_into_every_beat_of_the_song) {
    // style, BPM, first beat, seconds, rate, noise, seed
    const song_recipe s = {style_four_on_the_floor, 131.7, 0.37, 20, 44100, true, 1};
    const int fps = 30;
    std::string path = testing::TempDir() + "pulvax_beat_module_song.wav";
    std::vector<unsigned char> wav = encode_wav(synth_song(s), s.rate, 1, false);
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(fwrite(wav.data(), 1, wav.size(), f), wav.size());
    fclose(f);

    beat_editor_values v;
    std::string error;
    ASSERT_TRUE(beat_track_values(path.c_str(), fps, 1, 0, v, error)) << error;
    remove(path.c_str());

    editor_host host;
    ASSERT_TRUE(editor_load(host, PULVAX_MODULE_PATH, error)) << error;
    editor_set_frame_size(host, 16, 16, 16);
    host.video_rate = fps;
    host.video_scale = 1;
    ASSERT_TRUE(editor_process(host, 0));  // the module learns the frame rate
    int period = position_of(host, label_period), period_div = position_of(host, label_period_div),
        start = position_of(host, label_start_frame);
    ASSERT_GE(period, 0);
    ASSERT_GE(period_div, 0);
    ASSERT_GE(start, 0);
    ASSERT_TRUE(editor_set_track(host, period_div, v.period_div));
    ASSERT_TRUE(editor_set_track(host, period, v.period));
    ASSERT_TRUE(editor_set_track(host, start, v.start_frame));
    EXPECT_EQ(host.track[period], v.period);
    EXPECT_EQ(host.track[period_div], 100);

    const int frames = int(s.seconds * fps);
    std::vector<bool> changed(frames);
    for (int i = 0; i < frames; ++i) {
        ASSERT_TRUE(editor_process(host, i));
        changed[i] = editor_frame_changed(host);
    }
    editor_unload(host);

    // Runs of changed frames, each ending just before a cycle start.
    std::vector<int> cycle_starts;
    for (int i = 0; i < frames; ++i) {
        if (!changed[i] || (i > 0 && changed[i - 1])) continue;
        int end = i;
        while (end < frames && changed[end]) ++end;
        if (end < frames) {
            EXPECT_EQ(end - i, 4) << "run at frame " << i;
            cycle_starts.push_back(end);
        }
    }
    // The song's beats: 0.37 s + k * 60 / 131.7 s, at 30 frames per second.
    std::vector<double> beats;
    for (double t = s.first_beat_s; t * fps < frames - 1; t += 60 / s.bpm)
        if (t * fps >= 4) beats.push_back(t * fps);
    ASSERT_EQ(cycle_starts.size(), beats.size());
    for (size_t k = 0; k < beats.size(); ++k)
        EXPECT_LE(fabs(cycle_starts[k] - beats[k]), 0.75) << "beat " << k << " at frame " << beats[k];
}

}  // namespace

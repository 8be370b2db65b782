// The beat finder on generated songs of known tempo and first beat, and on
// sound that has no beat.
#include <gtest/gtest.h>
#include <math.h>

#include <vector>

#include "tools/beat/find_beat.h"
#include "tools/beat/song_cases.h"

namespace {

// The first beat is the earliest beat of the grid at or after 0, where the
// song has sound or not.
double expected_first_beat(const song_recipe& s) { return fmod(s.first_beat_s, 60 / s.bpm); }

TEST(find_beat, finds_tempo_first_beat_and_octave_of_every_generated_song) {
    for (int i = 0; i < song_case_count; ++i) {
        const song_recipe& s = song_cases[i];
        SCOPED_TRACE(testing::Message() << song_style_name(s.style) << " " << s.bpm << " BPM at " << s.rate
                                        << " Hz" << (s.noise ? " with noise" : ""));
        std::vector<float> song = synth_song(s);
        beat_result r = find_beat(song.data(), song.size(), s.rate);
        ASSERT_TRUE(r.found);
        EXPECT_NEAR(r.bpm, s.bpm, 0.05);
        EXPECT_NEAR(r.first_beat_s, expected_first_beat(s), 0.010);
        EXPECT_GT(r.confidence, 0.8);
        EXPECT_TRUE(r.reliable);
        EXPECT_LE(r.confidence, 1.0);
        // The alternatives are the same grid at twice and half the tempo.
        EXPECT_DOUBLE_EQ(r.doubled.bpm, 2 * r.bpm);
        EXPECT_DOUBLE_EQ(r.halved.bpm, r.bpm / 2);
        EXPECT_NEAR(r.doubled.first_beat_s, fmod(r.first_beat_s, 30 / r.bpm), 1e-9);
        double k = (r.halved.first_beat_s - r.first_beat_s) / (60 / r.bpm);
        EXPECT_NEAR(k, floor(k + 0.5), 1e-6) << "the /2 grid keeps beats of the grid";
        EXPECT_LT(r.halved.first_beat_s, 120 / r.bpm);
    }
}

// Drum and bass: the snare on 2 and 4 and the hats between the beats make
// half the tempo repeat as strongly as the beat itself; the metronome at 60
// repeats at 120 and 180 as well. Neither may halve or double the tempo.
// A slow song's accompaniment in even eighths, the off-beats nearly as
// hard as the beats, must not double it (75 -> 150, 95 -> 190 ...).
TEST(find_beat, keeps_the_octave_where_half_or_double_tempo_also_fits) {
    const song_recipe cases[] = {
        {style_piano_eighths, 75, 0.37, 20, 44100, true, 31},
        {style_piano_eighths, 80, 0.2, 20, 22050, false, 32},
        {style_piano_eighths, 92, 0.37, 20, 44100, true, 33},
        {style_piano_eighths, 95, 1.0, 20, 48000, true, 34},
        {style_piano_eighths, 100, 0.37, 20, 44100, false, 35},
        {style_drum_and_bass, 174, 0.37, 20, 44100, true, 21},
        {style_drum_and_bass, 178, 1.5, 20, 48000, false, 22},
        {style_clicks, 60, 0.37, 20, 44100, true, 24},
        {style_clicks, 200, 0.37, 20, 44100, false, 25},
        {style_ballad, 62, 0.37, 30, 44100, true, 26},
    };
    for (const song_recipe& s : cases) {
        SCOPED_TRACE(testing::Message() << song_style_name(s.style) << " " << s.bpm);
        std::vector<float> song = synth_song(s);
        beat_result r = find_beat(song.data(), song.size(), s.rate);
        ASSERT_TRUE(r.found);
        EXPECT_NEAR(r.bpm, s.bpm, 0.05);
        // Chords struck over their own ringing show their onsets a little late.
        EXPECT_NEAR(r.first_beat_s, expected_first_beat(s), s.style == style_piano_eighths ? 0.015 : 0.010);
    }
}

// The coherence search sees only the middle minute of a long track; the fit
// must still hold over all four minutes, where a slip of one beat would show
// as a tempo error of about 0.7 BPM.
TEST(find_beat, holds_the_grid_over_a_long_song) {
    // style, BPM, first beat, seconds, rate, noise, seed
    const song_recipe s = {style_drum_and_bass, 171.23, 2.0, 240, 22050, true, 1};
    std::vector<float> song = synth_song(s);
    beat_result r = find_beat(song.data(), song.size(), s.rate);
    ASSERT_TRUE(r.found);
    EXPECT_NEAR(r.bpm, s.bpm, 0.01);
    EXPECT_NEAR(r.first_beat_s, expected_first_beat(s), 0.010);
}

TEST(find_beat, finds_no_beat_in_silence_noise_bursts_or_too_little_sound) {
    std::vector<float> silence(44100 * 10, 0.0f);
    std::vector<float> one_hit(44100 * 10, 0.0f);
    for (int i = 0; i < 2000; ++i) one_hit[44100 + i] = float(0.8 * exp(-i / 300.0) * ((i * 7919) % 200 - 100) / 100);
    song_recipe short_song;
    short_song.seconds = 2;
    std::vector<float> two_seconds = synth_song(short_song);
    struct case_t {
        const char* name;
        const std::vector<float>* samples;
    } cases[] = {{"silence", &silence}, {"one hit", &one_hit}, {"two seconds", &two_seconds}};
    for (const case_t& c : cases) {
        SCOPED_TRACE(c.name);
        beat_result r = find_beat(c.samples->data(), c.samples->size(), 44100);
        EXPECT_FALSE(r.found);
    }
    EXPECT_FALSE(find_beat(nullptr, 0, 44100).found);
    EXPECT_FALSE(find_beat(silence.data(), silence.size(), 0).found);
}

// Sound without a beat: steady white noise and steady tones have onsets (the
// noise's bands rise and fall at random, the tone's by rounding), and a grid
// fits them somewhere, but no beat is struck harder than what lies between.
TEST(find_beat, finds_no_beat_in_noise_or_a_steady_tone) {
    const int rate = 44100;
    const size_t n = size_t(rate) * 20;
    std::vector<float> noise(n), tone(n), chord(n);
    unsigned state = 12345;
    for (size_t i = 0; i < n; ++i) {
        state = state * 1664525u + 1013904223u;
        noise[i] = float(0.3 * (double(state >> 8) / double(1u << 24) * 2 - 1));
        double t = double(i) / rate;
        tone[i] = float(0.5 * sin(6.283185307179586 * 440 * t));
        chord[i] = float(0.2 * (sin(6.283185307179586 * 110 * t) + sin(6.283185307179586 * 138.59 * t) +
                                sin(6.283185307179586 * 164.81 * t)));
    }
    struct case_t {
        const char* name;
        const std::vector<float>* samples;
    } cases[] = {{"white noise", &noise}, {"440 Hz tone", &tone}, {"A major chord", &chord}};
    for (const case_t& c : cases) {
        SCOPED_TRACE(c.name);
        beat_result r = find_beat(c.samples->data(), c.samples->size(), rate);
        EXPECT_FALSE(r.found && r.reliable) << r.bpm << " BPM at confidence " << r.confidence;
        EXPECT_LT(r.confidence, beat_reliable_confidence);
    }
}

}  // namespace

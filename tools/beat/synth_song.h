// Generated songs with a known tempo and first beat, for the beat finder's
// tests and benchmark.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

enum song_style {
    style_four_on_the_floor,  // kick on every beat, snare on 2 and 4, hats on the off-beats, bass
    style_drum_and_bass,      // kick on 1 and 3 (and a ghost before 4), snare on 2 and 4, hats on every off-beat, sub bass (the snare as loud as the kick)
    style_clicks,             // a metronome: accented click on 1, plain clicks on 2, 3, 4
    style_ballad,             // kick on 1, snare on 3, a chord on every beat, soft shaker on the eighths
    style_piano_eighths,      // a chord on every eighth, the off-beats 0.7 as hard, bass on every beat (a slow song's accompaniment)
};

struct song_recipe {
    song_style style = style_four_on_the_floor;
    double bpm = 120;
    double first_beat_s = 0.37;  // the first beat; silence before it
    double seconds = 30;
    int rate = 44100;
    bool noise = false;          // white noise 20 dB below the music (RMS)
    uint32_t seed = 1;
};

// Mono samples of the song, peak at most 0.9.
std::vector<float> synth_song(const song_recipe& recipe);

const char* song_style_name(song_style style);

// A WAV file of the samples: 16-bit PCM or 32-bit float, the mono signal
// copied to every channel.
std::vector<unsigned char> encode_wav(const std::vector<float>& samples, int rate, int channels, bool float32);

// Tempo and first beat of a piece of music.
#pragma once

#include <stddef.h>

struct beat_alternative {
    double bpm = 0;
    double first_beat_s = 0;  // earliest beat of that grid at or after 0
};

struct beat_result {
    bool found = false;        // false: silent, too short, or no steady beat (noise, a steady tone)
    double bpm = 0;            // full precision
    double first_beat_s = 0;   // earliest beat of the fitted grid at or after 0
    // 0..1: how much harder the sound is struck on the beats than between
    // them; see beat_reliable_confidence.
    double confidence = 0;
    bool reliable = false;     // confidence >= beat_reliable_confidence
    beat_alternative doubled;  // x2: the grid with a beat between each two
    beat_alternative halved;   // /2: every other beat, on the stronger ones
    int onsets = 0;            // onsets the analysis found
};

// The lowest and highest tempo the finder reports.
extern const double beat_min_bpm;
extern const double beat_max_bpm;

// The confidence under which a found beat is too doubtful to be used
// without a look: on real music, most wrong answers fall below it and most
// right ones above.
extern const double beat_reliable_confidence;

// Analyses count mono samples at rate samples per second (times are counted
// from the first sample).
beat_result find_beat(const float* samples, size_t count, int rate);

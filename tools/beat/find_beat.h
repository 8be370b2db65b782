// Tempo and first beat of a piece of music.
#pragma once

#include <stddef.h>

struct beat_alternative {
    double bpm = 0;
    double first_beat_s = 0;  // earliest beat of that grid at or after 0
};

struct beat_result {
    bool found = false;        // false: silent, too short or no steady beat
    double bpm = 0;            // full precision
    double first_beat_s = 0;   // earliest beat of the fitted grid at or after 0
    double confidence = 0;     // 0..1
    beat_alternative doubled;  // x2: the grid with a beat between each two
    beat_alternative halved;   // /2: every other beat, on the stronger ones
    int onsets = 0;            // onsets the analysis found
};

// The lowest and highest tempo the finder reports.
extern const double beat_min_bpm;
extern const double beat_max_bpm;

// Analyses count mono samples at rate samples per second (times are counted
// from the first sample).
beat_result find_beat(const float* samples, size_t count, int rate);

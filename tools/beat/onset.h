// Onset strength: how sharply the sound's spectrum rises, on a short hop, and
// the onsets picked from it.
#pragma once

#include <stddef.h>

#include <vector>

struct onset_envelope {
    double hop_s = 0;       // time between values
    double first_s = 0;     // time of value 0
    // Rise of the band-wise log spectrum above its local mean, half-wave
    // rectified: 0 where nothing starts.
    std::vector<double> strength;
    // Rise of the bands' plain (not log) magnitudes from hop to hop, summed
    // over the bands that rise: how strongly a note is struck. Loud notes
    // dominate it, and soft ones in otherwise quiet bands (hats, shakers)
    // barely count, unlike in the log rise above.
    std::vector<double> accent;
    // The accent of the bands above high_band_hz only (snares, hats, the
    // attack of a struck note, but no kick or bass).
    std::vector<double> high_accent;
};

extern const double high_band_hz;

struct onset {
    double time_s;  // interpolated between hops
    double weight;  // accent at the peak (how hard the note is struck), squared
};

// The envelope of count mono samples at rate samples per second.
onset_envelope onset_strength(const float* samples, size_t count, int rate);

// Peaks of the envelope that stand out (local maxima over +-30 ms above a
// floor relative to the loud onsets), timed and weighed by the accent's
// peak next to them, in time order.
std::vector<onset> pick_onsets(const onset_envelope& envelope);

// The largest value of values (one per hop of the envelope) within
// +-tolerance_s of time_s (0 outside the envelope).
double largest_near(const onset_envelope& envelope, const std::vector<double>& values, double time_s,
                    double tolerance_s);

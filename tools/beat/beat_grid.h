// A beat grid, t_k = phase_s + k * period_s, fitted to onsets.
#pragma once

#include <vector>

#include "tools/beat/onset.h"

struct beat_grid {
    double period_s = 0;
    double phase_s = 0;  // time of beat k = 0 (any beat of the grid)
};

// A periodicity of values (one per hop of the envelope) between min_bpm and
// max_bpm, by autocorrelation, as a beat period in seconds; 0 when there is
// none.
double autocorrelation_period(const onset_envelope& envelope, const std::vector<double>& values,
                              double min_bpm, double max_bpm);

// Fits period and phase near period_guess_s: first the period (within +-2.5 %)
// and phase whose beats the onsets' weights agree with best (phase coherence
// over the whole track), then least squares on the onsets within a fraction
// of a beat of the grid, so onsets between beats do not pull it.
beat_grid fit_grid(const std::vector<onset>& onsets, double period_guess_s);

// Least squares (refine_grid) on the onsets within 15 %, then 10 %, then 6 %
// of a beat of the grid.
beat_grid settle_grid(const std::vector<onset>& onsets, const beat_grid& grid);

// Weighted least squares on the onsets within tolerance (a share of the
// period) of the grid; the grid is returned unchanged when fewer than two
// beats carry onsets.
beat_grid refine_grid(const std::vector<onset>& onsets, const beat_grid& grid, double tolerance);

// The earliest beat of the grid at or after time 0.
double first_beat_at_or_after_zero(const beat_grid& grid);

// Mean of values (one per hop of the envelope, such as its accent) near the
// grid's beats between from_s and to_s: beats k with k % step == offset
// (step 2: every other beat), each the largest within +-tolerance_s.
double mean_on_grid(const onset_envelope& envelope, const std::vector<double>& values, const beat_grid& grid,
                    double from_s, double to_s, int step, int offset, double tolerance_s);

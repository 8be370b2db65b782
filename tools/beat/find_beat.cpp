#include "tools/beat/find_beat.h"

#include <math.h>

#include <algorithm>
#include <vector>

#include "tools/beat/beat_grid.h"
#include "tools/beat/onset.h"

const double beat_min_bpm = 60;
const double beat_max_bpm = 200;
const double beat_reliable_confidence = 0.35;

namespace {

// Where the envelope is looked at around a beat or the midpoint between two.
const double strength_tolerance_s = 0.02;
// Of two tempo octaves, the faster wins when the slower grid's off-beats are
// struck at least off_beat_share as hard as its beats (a snare on 2 and 4,
// a kick on every beat); where they hold only soft notes (hats, shakers),
// the slower one does. From fast_octave_bpm up that is not enough: a slow
// song's even eighths (piano, strings, hats) are struck nearly as hard as
// its beats. There the faster octave wins only where the off-beats are the
// louder ones above high_band_hz, twice as loud (a backbeat snare over a
// kick: drum and bass), or where every beat is struck alike (a metronome).
const double off_beat_share = 0.3;
const double fast_octave_bpm = 145;
const double backbeat_high_share = 2.0;
const double alike_share = 0.98;
// How much harder the notes on a moved grid's beats must be struck for
// strongest_phase to take it.
const double stronger_phase_share = 1.2;
// Points a beat is cut into for beat_contrast.
const int contrast_points = 8;
// Below this confidence there is no beat at all (noise, a steady tone).
const double no_beat_confidence = 0.1;
// How far the fitted tempo may leave 60..200 BPM (the search covers the range,
// the fit may end a little outside it).
const double range_slack = 0.05;

struct octave_check {
    double on, off;  // mean accent on the stronger and the weaker half of the faster grid's beats
    int on_offset;   // 0 or 1: which half of the faster grid's beats the slower grid keeps
};

// The slower grid keeps every other beat of the faster one: the half whose
// beats are stronger.
octave_check compare_halves(const onset_envelope& env, const beat_grid& fast, double from_s, double to_s) {
    double even = mean_on_grid(env, env.accent, fast, from_s, to_s, 2, 0, strength_tolerance_s);
    double odd = mean_on_grid(env, env.accent, fast, from_s, to_s, 2, 1, strength_tolerance_s);
    if (even >= odd) return {even, odd, 0};
    return {odd, even, 1};
}

// Whether the faster octave, the grid fast, is the beat rather than every
// other of its beats.
bool faster_octave_wins(const onset_envelope& env, const beat_grid& fast, double from_s, double to_s) {
    octave_check halves = compare_halves(env, fast, from_s, to_s);
    if (60 / fast.period_s < fast_octave_bpm) return halves.off >= off_beat_share * halves.on;
    if (halves.off >= alike_share * halves.on) return true;
    double on = mean_on_grid(env, env.high_accent, fast, from_s, to_s, 2, halves.on_offset, strength_tolerance_s);
    double off = mean_on_grid(env, env.high_accent, fast, from_s, to_s, 2, 1 - halves.on_offset, strength_tolerance_s);
    return off > 0 && off >= backbeat_high_share * on;
}

// The grid moved by a third or a quarter of a beat, where its beats then
// fall on harder-struck notes: the phase search and least squares settle
// between the beats and swung eighths (at two thirds of a beat), or lean
// on a pushed note a sixteenth early.
beat_grid strongest_phase(const onset_envelope& env, const std::vector<onset>& onsets, const beat_grid& grid,
                          double from_s, double to_s) {
    static const double shifts[] = {1.0 / 3, -1.0 / 3, 0.25, -0.25};
    beat_grid best = grid;
    double best_on = mean_on_grid(env, env.accent, grid, from_s, to_s, 1, 0, strength_tolerance_s);
    for (double shift : shifts) {
        beat_grid moved = {grid.period_s, grid.phase_s + shift * grid.period_s};
        double on = mean_on_grid(env, env.accent, moved, from_s, to_s, 1, 0, strength_tolerance_s);
        if (on > stronger_phase_share * best_on) {
            best = moved;
            best_on = on;
        }
    }
    return best.phase_s == grid.phase_s ? grid : settle_grid(onsets, best);
}

beat_grid slower_grid(const beat_grid& fast, int offset) {
    return {2 * fast.period_s, fast.phase_s + offset * fast.period_s};
}

// How much harder the sound is struck on the grid's beats than anywhere in
// between: 1 - (mean accent at seven points evenly between the beats) /
// (mean accent at the beats). Noise, a steady tone or a grid that misses the
// beat gives about 0: the accent at the beats is no larger than anywhere.
double beat_contrast(const onset_envelope& env, const beat_grid& grid, double from_s, double to_s) {
    double on = mean_on_grid(env, env.accent, grid, from_s, to_s, 1, 0, strength_tolerance_s);
    if (!(on > 0)) return 0;
    double between = 0;
    for (int s = 1; s < contrast_points; ++s) {
        beat_grid shifted = {grid.period_s, grid.phase_s + s * grid.period_s / contrast_points};
        between += mean_on_grid(env, env.accent, shifted, from_s, to_s, 1, 0, strength_tolerance_s);
    }
    between /= contrast_points - 1;
    return std::max(0.0, std::min(1.0, 1 - between / on));
}

}  // namespace

beat_result find_beat(const float* samples, size_t count, int rate) {
    beat_result result;
    onset_envelope env = onset_strength(samples, count, rate);
    std::vector<onset> onsets = pick_onsets(env);
    result.onsets = int(onsets.size());
    if (onsets.size() < 4) return result;
    double guess = autocorrelation_period(env, env.accent, beat_min_bpm, beat_max_bpm);
    if (!(guess > 0)) return result;
    // Two octaves at most lie in 60..200 BPM. The grid is fitted at the
    // faster one, where the beats of both halves add up; the slower one is
    // then decided on the accent of its off-beats (faster_octave_wins).
    double guess_bpm = 60 / guess;
    bool has_slower = guess_bpm * 2 <= beat_max_bpm || guess_bpm / 2 >= beat_min_bpm;
    beat_grid grid = fit_grid(onsets, guess_bpm * 2 <= beat_max_bpm ? guess / 2 : guess);
    if (!(grid.period_s > 0)) return result;
    double from = onsets.front().time_s, to = onsets.back().time_s;
    if (has_slower && !faster_octave_wins(env, grid, from, to))
        grid = settle_grid(onsets, slower_grid(grid, compare_halves(env, grid, from, to).on_offset));

    grid = strongest_phase(env, onsets, grid, from, to);

    // Least squares on a handful of stray onsets can run off anywhere.
    double bpm = 60 / grid.period_s;
    if (!(bpm >= beat_min_bpm * (1 - range_slack) && bpm <= beat_max_bpm * (1 + range_slack))) return result;

    double confidence = beat_contrast(env, grid, from, to);
    if (confidence < no_beat_confidence) return result;
    result.confidence = confidence;
    result.found = true;
    result.reliable = result.confidence >= beat_reliable_confidence;
    result.bpm = bpm;
    result.first_beat_s = first_beat_at_or_after_zero(grid);
    beat_grid doubled = {grid.period_s / 2, grid.phase_s};
    result.doubled = {60 / doubled.period_s, first_beat_at_or_after_zero(doubled)};
    octave_check halves = compare_halves(env, grid, from, to);
    beat_grid halved = slower_grid(grid, halves.on_offset);
    result.halved = {60 / halved.period_s, first_beat_at_or_after_zero(halved)};
    return result;
}

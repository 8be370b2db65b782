#include "tools/beat/beat_grid.h"

#include <math.h>

#include <algorithm>

#include "tools/beat/parabola.h"

namespace {

const double two_pi = 6.283185307179586476925286766559;

// Multiples of a trial period summed in autocorrelation_period.
const int comb_teeth = 4;
// Length of track the phase coherence is searched on.
const double coherence_span_s = 60;
// Share of the highest comb peak that a shorter period's peak must reach.
const double comb_peak_share = 0.85;

// Length of the resultant of the onsets' weights placed on the beat circle of
// the given period; its angle gives the phase.
double coherence(const std::vector<onset>& onsets, double period_s, double& angle) {
    double c = 0, s = 0;
    for (const onset& o : onsets) {
        double a = two_pi * (o.time_s / period_s);
        c += o.weight * cos(a);
        s += o.weight * sin(a);
    }
    angle = atan2(s, c);
    return sqrt(c * c + s * s);
}

std::vector<onset> onsets_between(const std::vector<onset>& onsets, double from_s, double to_s) {
    std::vector<onset> out;
    for (const onset& o : onsets)
        if (o.time_s >= from_s && o.time_s <= to_s) out.push_back(o);
    return out;
}

}  // namespace

double autocorrelation_period(const onset_envelope& env, const std::vector<double>& d, double min_bpm,
                              double max_bpm) {
    if (env.hop_s <= 0) return 0;
    long lag_lo = long(floor(60.0 / max_bpm / env.hop_s));
    long lag_hi = long(ceil(60.0 / min_bpm / env.hop_s));
    long size = long(d.size());
    long lag_max = comb_teeth * (lag_hi + 1) + 1;
    if (lag_lo < 2 || lag_max >= size) return 0;
    // Smoothed over five hops, so peaks a hop or two apart still meet at
    // some lag, and without its mean.
    std::vector<double> x(d.size());
    double mean = 0;
    for (long i = 0; i < size; ++i) {
        double sum = 0;
        for (int j = -2; j <= 2; ++j) sum += (3 - (j < 0 ? -j : j)) * d[std::max(0L, std::min(size - 1, i + j))];
        x[i] = sum / 9;
        mean += x[i];
    }
    mean /= double(size);
    for (double& v : x) v -= mean;
    // Divided by the whole length, so longer lags weigh a little less.
    std::vector<double> acf(lag_max + 2, 0.0);
    for (long lag = 1; lag <= lag_max + 1; ++lag) {
        double sum = 0;
        for (long i = 0; i + lag < size; ++i) sum += x[i] * x[i + lag];
        acf[lag] = sum / double(size);
    }
    // A comb over the autocorrelation: a beat period repeats at two, three
    // and four beats too, where a wrong period (one and a half beats, a
    // third of a bar) finds the sound only on some teeth. Trial periods go
    // in quarter hops, the teeth read between lags linearly, so the fourth
    // tooth does not drift off a period that is no whole number of hops.
    const int steps_per_hop = 4;
    long first = lag_lo * steps_per_hop, last = lag_hi * steps_per_hop;
    std::vector<double> comb(last - first + 3, 0.0);  // comb[j] for period (first + j - 1) / steps_per_hop
    for (long j = 0; j < long(comb.size()); ++j) {
        double lag = double(first + j - 1) / steps_per_hop;
        for (int m = 1; m <= comb_teeth; ++m) {
            double at = m * lag;
            long i = long(floor(at));
            double f = at - i;
            comb[j] += (1 - f) * acf[i] + f * acf[i + 1];
        }
    }
    // A period of three beats finds the sound on all its teeth as well, so
    // of the peaks that come close to the highest the shortest is taken
    // (halving and doubling are decided later, on the fitted grid).
    double highest = 0;
    for (long j = 1; j + 1 < long(comb.size()); ++j) highest = std::max(highest, comb[j]);
    long best = -1;
    for (long j = 1; j + 1 < long(comb.size()) && best < 0; ++j)
        if (comb[j] > 0 && comb[j] >= comb[j - 1] && comb[j] > comb[j + 1] && comb[j] >= comb_peak_share * highest)
            best = j;
    if (best < 0) return 0;
    double shift = parabola_vertex(comb[best - 1], comb[best], comb[best + 1]);
    return (first + best - 1 + shift) * env.hop_s / steps_per_hop;
}

beat_grid fit_grid(const std::vector<onset>& onsets, double guess) {
    beat_grid grid;
    grid.period_s = guess;
    if (onsets.size() < 2 || guess <= 0) return grid;
    // The coherence search looks at up to a minute in the middle of the
    // track, so its cost stays bounded on long files; least squares then
    // widens the fit to the whole track in steps, each small enough that
    // the grid cannot slip by a beat.
    double start = onsets.front().time_s, end = onsets.back().time_s;
    double middle = 0.5 * (start + end);
    std::vector<onset> part = onsets_between(onsets, middle - coherence_span_s / 2, middle + coherence_span_s / 2);
    if (part.size() < 2) part = onsets;
    // Steps fine enough that the phase drifts by at most 1/40 beat over the
    // span of the onsets between neighbouring trial periods.
    double span = std::max(part.back().time_s - part.front().time_s, guess);
    double step = guess * guess / (40 * span);
    double lo = guess * 0.975, hi = guess * 1.025;
    int steps = std::max(1, int(ceil((hi - lo) / step)));
    std::vector<double> score(steps + 1);
    int best = 0;
    for (int i = 0; i <= steps; ++i) {
        double angle;
        score[i] = coherence(part, lo + i * (hi - lo) / steps, angle);
        if (score[i] > score[best]) best = i;
    }
    double at = best;
    if (best > 0 && best < steps) at += parabola_vertex(score[best - 1], score[best], score[best + 1]);
    grid.period_s = lo + at * (hi - lo) / steps;
    double angle;
    coherence(part, grid.period_s, angle);
    grid.phase_s = angle / two_pi * grid.period_s;
    for (double width = coherence_span_s; width < end - start; width *= 2)
        grid = refine_grid(onsets_between(onsets, middle - width, middle + width), grid, 0.15);
    return settle_grid(onsets, grid);
}

beat_grid settle_grid(const std::vector<onset>& onsets, const beat_grid& grid) {
    beat_grid out = refine_grid(onsets, grid, 0.15);
    out = refine_grid(onsets, out, 0.1);
    return refine_grid(onsets, out, 0.06);
}

beat_grid refine_grid(const std::vector<onset>& onsets, const beat_grid& grid, double tolerance) {
    // Beat numbers are counted from the first onset's beat so the sums stay small.
    if (onsets.empty() || grid.period_s <= 0) return grid;
    double origin = floor((onsets.front().time_s - grid.phase_s) / grid.period_s + 0.5);
    double sw = 0, sk = 0, st = 0, skk = 0, skt = 0;
    double k_min = 1e300, k_max = -1e300;
    for (const onset& o : onsets) {
        double beat = (o.time_s - grid.phase_s) / grid.period_s;
        double k = floor(beat + 0.5);
        if (fabs(beat - k) > tolerance) continue;
        k -= origin;
        sw += o.weight;
        sk += o.weight * k;
        st += o.weight * o.time_s;
        skk += o.weight * k * k;
        skt += o.weight * k * o.time_s;
        k_min = std::min(k_min, k);
        k_max = std::max(k_max, k);
    }
    if (!(sw > 0) || k_max <= k_min) return grid;
    double det = sw * skk - sk * sk;
    if (!(det > 0)) return grid;
    beat_grid out;
    out.period_s = (sw * skt - sk * st) / det;
    double t_origin = (st - out.period_s * sk) / sw;  // time of beat `origin`
    if (!(out.period_s > 0)) return grid;
    out.phase_s = t_origin;
    return out;
}

double first_beat_at_or_after_zero(const beat_grid& grid) {
    double k = ceil(-grid.phase_s / grid.period_s);
    double t = grid.phase_s + k * grid.period_s;
    // Rounding can leave t a hair below zero or a whole beat above it.
    if (t < 0) t += grid.period_s;
    if (t - grid.period_s >= 0) t -= grid.period_s;
    return t;
}

double mean_on_grid(const onset_envelope& env, const std::vector<double>& values, const beat_grid& grid,
                    double from_s, double to_s, int step, int offset, double tolerance_s) {
    double k0 = ceil((from_s - grid.phase_s) / grid.period_s);
    double k1 = floor((to_s - grid.phase_s) / grid.period_s);
    double sum = 0;
    long count = 0;
    for (double k = k0; k <= k1; ++k) {
        long long ki = (long long)k;
        if (((ki % step) + step) % step != offset) continue;
        sum += largest_near(env, values, grid.phase_s + k * grid.period_s, tolerance_s);
        ++count;
    }
    return count ? sum / count : 0;
}

#include "tools/beat/onset.h"

#include <math.h>

#include <algorithm>

#include "tools/beat/fft.h"
#include "tools/beat/parabola.h"

const double high_band_hz = 1000;

namespace {

// Window length in seconds, rounded down to a power of two samples.
const double window_s = 0.025;
const int band_count = 24;
const double band_low_hz = 30;
const double band_high_hz = 16000;
// Scale of the log compression, log(1 + gain * magnitude), for full-scale 1.
const double log_gain = 100;
// The local mean subtracted from the flux: +-100 ms.
const double mean_half_width_s = 0.1;
// A peak must be the largest within +-30 ms.
const double peak_half_width_s = 0.03;
// ... and reach this share of the loud onsets' level: the peak height that
// loud_share of all peaks stay below.
const double peak_floor = 0.1;
const double loud_share = 0.9;
// Hops around a peak of the log rise searched for the accent's peak.
const long accent_reach = 2;

// Window length: the largest power of two within window_s (1024 samples at
// 44.1 and 48 kHz, 512 at 22.05 kHz).
int window_size(int rate) {
    int n = 64;
    while (n * 2 <= rate * window_s) n *= 2;
    return n;
}

// Band of each FFT bin (log-spaced), or -1 outside band_low_hz..band_high_hz.
std::vector<int> bin_bands(int n, int rate) {
    std::vector<int> band(n / 2 + 1, -1);
    double high = std::min(band_high_hz, 0.45 * rate);
    double ratio = log(high / band_low_hz);
    for (int k = 1; k <= n / 2; ++k) {
        double hz = double(k) * rate / n;
        if (hz < band_low_hz || hz >= high) continue;
        band[k] = std::min(band_count - 1, int(band_count * log(hz / band_low_hz) / ratio));
    }
    return band;
}

// Log band levels of one magnitude spectrum, and the bands' plain RMS
// magnitudes.
void band_levels(const double* mag, const std::vector<int>& band, double scale, double* level, double* linear) {
    double sum[band_count] = {};
    int bins[band_count] = {};
    for (size_t k = 0; k < band.size(); ++k) {
        if (band[k] < 0) continue;
        sum[band[k]] += mag[k] * mag[k];
        ++bins[band[k]];
    }
    for (int b = 0; b < band_count; ++b) {
        linear[b] = bins[b] ? scale * sqrt(sum[b] / bins[b]) : 0;
        level[b] = log1p(log_gain * linear[b]);
    }
}

}  // namespace

onset_envelope onset_strength(const float* samples, size_t count, int rate) {
    onset_envelope env;
    if (rate <= 0 || count == 0) return env;
    const int n = window_size(rate);
    const int hop = std::max(1, int(lround(rate / 200.0)));
    const size_t frames = count / hop + 1;
    env.hop_s = double(hop) / rate;
    // Value i compares the windows centred on samples (i-1)*hop and i*hop,
    // and is dated at the centre of window i: a band's log level climbs
    // fastest while an onset is still in the first half of a window, so the
    // rise peaks about when the later window is centred on the onset (within
    // a millisecond or so on clicks).
    env.first_s = 0;

    fft_plan plan = make_fft_plan(n);
    std::vector<double> window(n);
    for (int j = 0; j < n; ++j) window[j] = 0.5 - 0.5 * cos(6.283185307179586 * (j + 0.5) / n);
    const double scale = 4.0 / n;  // a full-scale sine peaks at 1
    std::vector<int> band = bin_bands(n, rate);

    std::vector<double> a(n), b(n), re(n), im(n), mag_a(n / 2 + 1), mag_b(n / 2 + 1);
    double level_a[band_count], level_b[band_count], linear_a[band_count], linear_b[band_count];
    double prev_level[band_count] = {}, prev_linear[band_count] = {};
    std::vector<double> flux(frames, 0.0);
    env.accent.assign(frames, 0.0);
    auto fill = [&](size_t frame, std::vector<double>& out) {
        long long centre = (long long)frame * hop;
        for (int j = 0; j < n; ++j) {
            long long s = centre - n / 2 + j;
            out[j] = (s >= 0 && s < (long long)count) ? samples[s] * window[j] : 0.0;
        }
    };
    // Sum of the bands' rises from before to now; now becomes before.
    auto rise = [](const double* now, double* before, int from_band = 0, double* high = nullptr) {
        double sum = 0, above = 0;
        for (int k = 0; k < band_count; ++k) {
            if (now[k] > before[k]) {
                sum += now[k] - before[k];
                if (k >= from_band) above += now[k] - before[k];
            }
            before[k] = now[k];
        }
        if (high) *high = above;
        return sum;
    };
    const int first_high_band =
        int(ceil(band_count * log(high_band_hz / band_low_hz) / log(std::min(band_high_hz, 0.45 * rate) / band_low_hz)));
    env.high_accent.assign(frames, 0.0);
    for (size_t f = 0; f < frames; f += 2) {
        fill(f, a);
        if (f + 1 < frames) fill(f + 1, b); else std::fill(b.begin(), b.end(), 0.0);
        fft_two_real_magnitudes(plan, a.data(), b.data(), re.data(), im.data(), mag_a.data(), mag_b.data());
        band_levels(mag_a.data(), band, scale, level_a, linear_a);
        band_levels(mag_b.data(), band, scale, level_b, linear_b);
        flux[f] = rise(level_a, prev_level);
        env.accent[f] = rise(linear_a, prev_linear, first_high_band, &env.high_accent[f]);
        if (f + 1 < frames) {
            flux[f + 1] = rise(level_b, prev_level);
            env.accent[f + 1] = rise(linear_b, prev_linear, first_high_band, &env.high_accent[f + 1]);
        }
    }
    // The rise from silence before the start is no onset.
    flux[0] = 0;
    env.accent[0] = 0;
    env.high_accent[0] = 0;

    // Subtract the running mean and keep what rises above it.
    const int half = std::max(1, int(lround(mean_half_width_s / env.hop_s)));
    env.strength.assign(frames, 0.0);
    double window_sum = 0;
    size_t lo = 0, hi = 0;  // window [lo, hi)
    for (size_t i = 0; i < frames; ++i) {
        size_t want_hi = std::min(frames, i + half + 1);
        size_t want_lo = i > size_t(half) ? i - half : 0;
        while (hi < want_hi) window_sum += flux[hi++];
        while (lo < want_lo) window_sum -= flux[lo++];
        double mean = window_sum / double(hi - lo);
        env.strength[i] = std::max(0.0, flux[i] - mean);
    }
    return env;
}

std::vector<onset> pick_onsets(const onset_envelope& env) {
    std::vector<onset> out;
    const std::vector<double>& d = env.strength;
    if (d.size() < 3) return out;
    const long size = long(d.size());
    std::vector<long> peaks;
    for (long i = 1; i + 1 < size; ++i)
        if (d[i] > 0 && d[i] > d[i - 1] && d[i] >= d[i + 1]) peaks.push_back(i);
    if (peaks.empty()) return out;
    std::vector<double> heights;
    for (long i : peaks) heights.push_back(d[i]);
    size_t at = size_t(loud_share * double(heights.size() - 1));
    std::nth_element(heights.begin(), heights.begin() + at, heights.end());
    const double floor_level = peak_floor * heights[at];
    const long half = std::max(1L, lround(peak_half_width_s / env.hop_s));
    const std::vector<double>& a = env.accent;
    for (long i : peaks) {
        if (d[i] < floor_level) continue;
        bool largest = true;
        for (long j = std::max(0L, i - half); j <= std::min(size - 1, i + half) && largest; ++j)
            if (d[j] > d[i] || (d[j] == d[i] && j < i)) largest = false;
        if (!largest) continue;
        // Timed and weighed by the accent nearby: loud, sharp notes mark the
        // beat more reliably than soft ones, and where a soft sound (a
        // shaker, hats) starts together with a loud note, the log rise
        // follows the soft sound's slower attack. The weight is the accent
        // squared, so the loudest notes count most: a chord struck again
        // over its own ringing shows its onset late, and softly.
        long k = i;
        for (long j = std::max(1L, i - accent_reach); j <= std::min(size - 2, i + accent_reach); ++j)
            if (a[j] > a[k]) k = j;
        if (!(a[k] > 0)) continue;
        double shift = k > 0 && k + 1 < size ? parabola_vertex(a[k - 1], a[k], a[k + 1]) : 0.0;
        out.push_back({env.first_s + (k + shift) * env.hop_s, a[k] * a[k]});
    }
    return out;
}

double largest_near(const onset_envelope& env, const std::vector<double>& values, double time_s,
                    double tolerance_s) {
    if (values.empty() || env.hop_s <= 0) return 0;
    double lo = ceil((time_s - tolerance_s - env.first_s) / env.hop_s);
    double hi = floor((time_s + tolerance_s - env.first_s) / env.hop_s);
    lo = std::max(lo, 0.0);
    hi = std::min(hi, double(values.size() - 1));
    double best = 0;
    for (double i = lo; i <= hi; ++i) best = std::max(best, values[size_t(i)]);
    return best;
}

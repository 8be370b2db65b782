#include "tools/beat/synth_song.h"

#include <math.h>
#include <string.h>

#include <algorithm>

namespace {

const double two_pi = 6.283185307179586476925286766559;

struct noise_source {
    uint32_t state;
    double next() {  // uniform in -1..1
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state / 2147483648.0 - 1.0;
    }
};

enum instrument { kick, ghost_kick, snare, loud_snare, hat, shaker, house_bass, sub_bass, click, accent_click, chord, soft_chord };

double duration_s(instrument i, double beat_s) {
    switch (i) {
    case kick: case ghost_kick: return 0.6;
    case snare: case loud_snare: return 0.4;
    case hat: return 0.15;
    case shaker: return 0.2;
    case house_bass: return 0.45 * beat_s;
    case sub_bass: return 2 * beat_s;
    case click: case accent_click: return 0.05;
    default: return 1.5;
    }
}

// Value of the instrument tau seconds after it was struck.
double voice(instrument i, double tau, noise_source& noise, double& last_noise) {
    switch (i) {
    case kick: case ghost_kick: {
        double phase = 45 * tau + 90 * 0.04 * (1 - exp(-tau / 0.04));
        double body = exp(-tau / 0.18) * sin(two_pi * phase) + 0.3 * exp(-tau / 0.004) * noise.next();
        return (i == kick ? 0.9 : 0.45) * body;
    }
    case snare: case loud_snare:
        return (i == snare ? 0.45 : 0.8) * (0.7 * noise.next() * exp(-tau / 0.09) + 0.5 * sin(two_pi * 190 * tau) * exp(-tau / 0.06));
    case hat: case shaker: {
        double n = noise.next(), high = n - last_noise;
        last_noise = n;
        if (i == hat) return 0.15 * high * exp(-tau / 0.025);
        return 0.05 * high * std::min(1.0, tau / 0.01) * exp(-tau / 0.04);
    }
    case house_bass:
        return 0.35 * sin(two_pi * 55 * tau) * std::min(1.0, tau / 0.01) * exp(-tau / 0.25);
    case sub_bass:
        return 0.3 * sin(two_pi * 49 * tau) * std::min(1.0, tau / 0.02) * exp(-tau / 0.8);
    case click: case accent_click:
        return (i == click ? 0.4 : 0.6) * sin(two_pi * (i == click ? 1000 : 2000) * tau) * exp(-tau / 0.008);
    default: {
        static const double notes[3] = {220.0, 277.18, 329.63};
        double sum = 0;
        for (double f : notes) sum += sin(two_pi * f * tau) + 0.5 * sin(two_pi * 2 * f * tau);
        return (i == chord ? 0.1 : 0.07) * sum * std::min(1.0, tau / 0.005) * exp(-tau / 0.7);
    }
    }
}

void strike(std::vector<double>& out, int rate, double at_s, instrument i, double beat_s, noise_source& noise) {
    size_t begin = size_t(std::max(0.0, ceil(at_s * rate)));
    size_t end = std::min(out.size(), size_t(ceil((at_s + duration_s(i, beat_s)) * rate)));
    double last_noise = 0;
    for (size_t n = begin; n < end; ++n) out[n] += voice(i, double(n) / rate - at_s, noise, last_noise);
}

// What sounds at eighth e (0..7) of a four-beat bar.
int bar_eighth(song_style style, int e, instrument* list) {
    int n = 0;
    bool on_beat = e % 2 == 0;
    int beat = e / 2;  // 0..3
    switch (style) {
    case style_four_on_the_floor:
        if (on_beat) list[n++] = kick;
        if (on_beat && (beat == 1 || beat == 3)) list[n++] = snare;
        if (!on_beat) list[n++] = hat, list[n++] = house_bass;
        break;
    case style_drum_and_bass:
        if (e == 0 || e == 4) list[n++] = kick;
        if (e == 5) list[n++] = ghost_kick;
        if (e == 2 || e == 6) list[n++] = loud_snare;
        if (!on_beat) list[n++] = hat;
        if (e == 0) list[n++] = sub_bass;
        break;
    case style_clicks:
        if (on_beat) list[n++] = beat == 0 ? accent_click : click;
        break;
    case style_ballad:
        if (e == 0) list[n++] = kick;
        if (e == 4) list[n++] = snare;
        if (on_beat) list[n++] = chord;
        list[n++] = shaker;
        break;
    case style_piano_eighths:
        list[n++] = on_beat ? chord : soft_chord;
        if (on_beat) list[n++] = house_bass;
        break;
    }
    return n;
}

void put_u16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void put_u32(std::vector<unsigned char>& out, uint32_t v) {
    put_u16(out, v & 0xFFFF);
    put_u16(out, v >> 16);
}

}  // namespace

const char* song_style_name(song_style style) {
    switch (style) {
    case style_four_on_the_floor: return "four on the floor";
    case style_drum_and_bass: return "drum and bass";
    case style_clicks: return "clicks";
    case style_piano_eighths: return "piano eighths";
    default: return "ballad";
    }
}

std::vector<float> synth_song(const song_recipe& recipe) {
    std::vector<double> mix(size_t(recipe.seconds * recipe.rate), 0.0);
    noise_source noise = {recipe.seed * 2654435761u + 12345u};
    if (noise.state == 0) noise.state = 1;
    double beat_s = 60 / recipe.bpm;
    for (long e = 0;; ++e) {
        double at = recipe.first_beat_s + e * beat_s / 2;
        if (at >= recipe.seconds) break;
        instrument list[8];
        int n = bar_eighth(recipe.style, int(e % 8), list);
        for (int i = 0; i < n; ++i) strike(mix, recipe.rate, at, list[i], beat_s, noise);
    }
    if (recipe.noise) {
        double sum = 0;
        for (double v : mix) sum += v * v;
        double rms = mix.empty() ? 0 : sqrt(sum / mix.size());
        // Uniform noise in -a..a has RMS a / sqrt(3).
        double amplitude = 0.1 * rms * sqrt(3.0);
        for (double& v : mix) v += amplitude * noise.next();
    }
    double peak = 0;
    for (double v : mix) peak = std::max(peak, fabs(v));
    double gain = peak > 0.9 ? 0.9 / peak : 1.0;
    std::vector<float> out(mix.size());
    for (size_t i = 0; i < mix.size(); ++i) out[i] = float(mix[i] * gain);
    return out;
}

std::vector<unsigned char> encode_wav(const std::vector<float>& samples, int rate, int channels, bool float32) {
    std::vector<unsigned char> out;
    unsigned width = float32 ? 4 : 2;
    uint32_t data_bytes = uint32_t(samples.size() * channels * width);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put_u32(out, 36 + data_bytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put_u32(out, 16);
    put_u16(out, float32 ? 3 : 1);
    put_u16(out, channels);
    put_u32(out, rate);
    put_u32(out, rate * channels * width);
    put_u16(out, channels * width);
    put_u16(out, width * 8);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put_u32(out, data_bytes);
    for (float s : samples) {
        for (int c = 0; c < channels; ++c) {
            if (float32) {
                uint32_t u;
                memcpy(&u, &s, sizeof u);
                put_u32(out, u);
            } else {
                double v = std::max(-32768.0, std::min(32767.0, floor(s * 32768.0 + 0.5)));
                put_u16(out, unsigned(int(v)) & 0xFFFF);
            }
        }
    }
    return out;
}

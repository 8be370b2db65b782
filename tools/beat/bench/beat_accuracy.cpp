// Prints the accuracy table of the beat finder on the generated songs, as a
// Markdown table: tempo and first-beat errors, octave, confidence, time.
#include <math.h>
#include <stdio.h>

#include <chrono>

#include "tools/beat/find_beat.h"
#include "tools/beat/song_cases.h"

int main() {
    printf("| style | BPM | rate | noise | found BPM | error BPM | first beat s | error ms | octave | confidence | ms |\n");
    printf("|---|---|---|---|---|---|---|---|---|---|---|\n");
    int failures = 0;
    for (int i = 0; i < song_case_count; ++i) {
        const song_recipe& s = song_cases[i];
        std::vector<float> song = synth_song(s);
        auto start = std::chrono::steady_clock::now();
        beat_result r = find_beat(song.data(), song.size(), s.rate);
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        double bpm_error = r.bpm - s.bpm;
        // The first beat is the earliest of the grid at or after 0, sound or not.
        double expected_first = fmod(s.first_beat_s, 60 / s.bpm);
        double first_error_ms = (r.first_beat_s - expected_first) * 1000;
        bool octave = r.found && fabs(bpm_error) < 0.1 * s.bpm;
        bool ok = octave && fabs(bpm_error) <= 0.05 && fabs(first_error_ms) <= 10;
        failures += !ok;
        printf("| %s | %g | %d | %s | %.3f | %+.4f | %.4f | %+.2f | %s | %.2f | %.0f |\n", song_style_name(s.style),
               s.bpm, s.rate, s.noise ? "-20 dB" : "none", r.bpm, bpm_error, r.first_beat_s, first_error_ms,
               octave ? "right" : "WRONG", r.confidence, ms);
    }
    printf("\n%d of %d cases within 0.05 BPM and 10 ms in the right octave\n", song_case_count - failures,
           song_case_count);
    return failures ? 1 : 0;
}

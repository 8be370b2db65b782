// Speed of the beat finder on a three-minute song (44.1 kHz, mono), whole
// and by stage.
#include <benchmark/benchmark.h>

#include "tools/beat/beat_grid.h"
#include "tools/beat/find_beat.h"
#include "tools/beat/onset.h"
#include "tools/beat/synth_song.h"

namespace {

const std::vector<float>& three_minute_song() {
    static const std::vector<float> song = [] {
        song_recipe recipe;
        recipe.style = style_four_on_the_floor;
        recipe.bpm = 128;
        recipe.seconds = 180;
        recipe.noise = true;
        return synth_song(recipe);
    }();
    return song;
}

void find_beat_three_minutes(benchmark::State& state) {
    const std::vector<float>& song = three_minute_song();
    for (auto _ : state) {
        beat_result r = find_beat(song.data(), song.size(), 44100);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(find_beat_three_minutes)->Unit(benchmark::kMillisecond);

void onset_strength_three_minutes(benchmark::State& state) {
    const std::vector<float>& song = three_minute_song();
    for (auto _ : state) {
        onset_envelope env = onset_strength(song.data(), song.size(), 44100);
        benchmark::DoNotOptimize(env.strength.data());
    }
}
BENCHMARK(onset_strength_three_minutes)->Unit(benchmark::kMillisecond);

void grid_fit_three_minutes(benchmark::State& state) {
    const std::vector<float>& song = three_minute_song();
    onset_envelope env = onset_strength(song.data(), song.size(), 44100);
    std::vector<onset> onsets = pick_onsets(env);
    for (auto _ : state) {
        double guess = autocorrelation_period(env, env.accent, 60, 200);
        beat_grid grid = fit_grid(onsets, guess);
        benchmark::DoNotOptimize(grid);
    }
}
BENCHMARK(grid_fit_three_minutes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

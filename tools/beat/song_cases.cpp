#include "tools/beat/song_cases.h"

// style, bpm, first beat (s), length (s), rate, noise at -20 dB, seed
const song_recipe song_cases[] = {
    {style_four_on_the_floor, 128, 0.37, 30, 44100, false, 1},
    {style_four_on_the_floor, 128, 0.37, 30, 44100, true, 2},
    {style_four_on_the_floor, 140, 0.37, 30, 48000, true, 3},
    {style_four_on_the_floor, 120.5, 1.234, 30, 22050, true, 4},
    {style_four_on_the_floor, 96.3, 0.05, 30, 44100, true, 5},
    {style_drum_and_bass, 174, 0.37, 30, 44100, false, 6},
    {style_drum_and_bass, 174, 0.37, 30, 48000, true, 7},
    {style_drum_and_bass, 165.5, 0.61, 30, 22050, true, 8},
    {style_clicks, 90, 0.37, 30, 44100, false, 9},
    {style_clicks, 180, 0.37, 30, 48000, true, 10},
    {style_clicks, 101.7, 0.2, 30, 22050, true, 11},
    {style_ballad, 70, 0.37, 30, 44100, false, 12},
    {style_ballad, 70, 0.37, 30, 22050, true, 13},
    {style_ballad, 76.5, 0.9, 30, 48000, true, 14},
};
const int song_case_count = int(sizeof song_cases / sizeof song_cases[0]);

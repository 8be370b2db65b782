// The generated songs of the accuracy table (tests and README).
#pragma once

#include "tools/beat/synth_song.h"

extern const song_recipe song_cases[];
extern const int song_case_count;

// The resampling table: one record of inner loops that resample_frame runs
// on. resample_init fills it from a mask of CPU features, level by level: the
// portable loops ("plain"), then "sse2", "avx2" and "avx512", each where the
// mask has its feature and that of every level below. On first use
// resample_frame fills it from cpu_features(); tests, the benchmark and the
// fuzzer may fill it for any level the processor has.
#pragma once

#include "effect/resample.h"

// The levels, from 0 (plain) up.
int resample_level_count();

// "plain", "sse2", "avx2", "avx512"; "?" for a number that is not a level.
const char* resample_level_name(int level);

// The features a level needs: its own and those of the levels below.
unsigned resample_level_features(int level);

// True where this processor has the level's features and the build its set.
bool resample_level_runs(int level);

// Fills the table for the features and returns the level it reached.
int resample_init(unsigned cpu_features);

// The level the table holds now (filling it from cpu_features() if it is
// still empty).
int resample_level();

// One pass through the table: the pixels of resample_reference(job).
void resample_frame(const resample_job& job);

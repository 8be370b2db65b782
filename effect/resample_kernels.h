// Resampling tables: records of inner loops that a pass runs on, each filled
// from a mask of CPU features, level by level: the portable loops ("plain"),
// then "sse2", "avx2" and "avx512", each where the mask has its feature and
// that of every level below. A caller owns its table (the tests, benchmark
// and fuzzer one per level); the module keeps one of its own, filled from
// cpu_features() on first use, for resample_frame.
#pragma once

#include "effect/resample.h"
#include "effect/resample_primitives.h"

struct resample_table {
    resample_primitives k;
    int level;  // the highest level filled
};

// The levels, from 0 (plain) up.
int resample_level_count();

// "plain", "sse2", "avx2", "avx512"; "?" for a number that is not a level.
const char* resample_level_name(int level);

// The features a level needs: its own and those of the levels below.
unsigned resample_level_features(int level);

// True where this processor has the level's features and the build its set.
bool resample_level_runs(int level);

// Fills the table for the features and returns the level it reached. Only
// fills: any mask is safe on any machine, but a table may run only where the
// processor has what its level needs.
int resample_table_fill(resample_table& table, unsigned cpu_features);

// One pass through a table: the pixels of resample_reference(job).
void resample_with(const resample_table& table, const resample_job& job);

// The level of the module's own table (filling it if it is still empty).
int resample_level();

// One pass through the module's own table.
void resample_frame(const resample_job& job);

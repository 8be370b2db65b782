#include "effect/resample_kernels.h"

#include "effect/cpu_features.h"
#include "effect/resample_fast.h"

namespace {

struct resample_set {
    const char* name;
    unsigned feature;  // 0: every processor
    bool (*fill)(resample_primitives& table);
};

// From the portable loops up; each set overwrites what it does faster.
const resample_set sets[] = {
    {"plain", 0, resample_fill_plain},
    {"sse2", cpu_sse2, resample_fill_sse2},
    {"avx2", cpu_avx2, resample_fill_avx2},
    {"avx512", cpu_avx512, resample_fill_avx512},
};
const int set_count = static_cast<int>(sizeof sets / sizeof sets[0]);

// The module's table; level -1 until the first pass fills it.
resample_table module_table = {resample_primitives(), -1};

const resample_table& filled_module_table() {
    if (module_table.level < 0) resample_table_fill(module_table, cpu_features());
    return module_table;
}

}  // namespace

int resample_level_count() { return set_count; }

const char* resample_level_name(int level) {
    return level >= 0 && level < set_count ? sets[level].name : "?";
}

unsigned resample_level_features(int level) {
    unsigned features = 0;
    for (int i = 0; i <= level && i < set_count; i++) features |= sets[i].feature;
    return features;
}

bool resample_level_runs(int level) {
    if (level < 0 || level >= set_count) return false;
    const unsigned need = resample_level_features(level);
    resample_primitives built;
    return (cpu_features() & need) == need && sets[level].fill(built);
}

int resample_table_fill(resample_table& table, unsigned cpu_features) {
    int level = 0;
    sets[0].fill(table.k);
    for (int i = 1; i < set_count; i++) {
        if ((cpu_features & sets[i].feature) == 0 || !sets[i].fill(table.k)) break;
        level = i;
    }
    table.level = level;
    return level;
}

void resample_with(const resample_table& table, const resample_job& job) {
    resample_fast(table.k, job);
}

int resample_level() { return filled_module_table().level; }

void resample_frame(const resample_job& job) { resample_with(filled_module_table(), job); }

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

resample_primitives table;
int table_level = -1;  // -1: not filled yet

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

int resample_init(unsigned cpu_features) {
    int level = 0;
    sets[0].fill(table);
    for (int i = 1; i < set_count; i++) {
        if ((cpu_features & sets[i].feature) == 0 || !sets[i].fill(table)) break;
        level = i;
    }
    table_level = level;
    return level;
}

int resample_level() {
    if (table_level < 0) resample_init(cpu_features());
    return table_level;
}

void resample_frame(const resample_job& job) {
    if (table_level < 0) resample_init(cpu_features());
    resample_fast(table, job);
}

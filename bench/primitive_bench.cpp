// Google Benchmark of each slot of the resampling table at every level this
// processor has, checkasm-style: one call on a run of n samples (a strip of
// the fast pass is up to 3 x 2048), data in cache. A set should fill a slot
// only where it beats the level below; this is the measure.
//
//   build/native/bench/pulvax_primitive_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "effect/resample_kernels.h"

namespace {

const int samples = 3 * 512;

struct buffers {
    std::vector<int16_t> p1, p2, out1, out2;
    std::vector<double> gx, fx, sums, kept, a, b;
    buffers()
        : p1(samples + 3), p2(samples + 3), out1(samples), out2(samples), gx(samples), fx(samples),
          sums(samples), kept(samples), a(samples), b(samples) {
        unsigned s = 1;
        for (int i = 0; i < samples + 3; i++) {
            s = s * 1664525u + 1013904223u;
            p1[i] = static_cast<int16_t>(s >> 16);
            s = s * 1664525u + 1013904223u;
            p2[i] = static_cast<int16_t>(s >> 16);
        }
        for (int i = 0; i < samples; i++) {
            fx[i] = (i % 97) / 97.0;
            gx[i] = 1.0 - fx[i];
            sums[i] = kept[i] = a[i] = p1[i] * 0.75;
            b[i] = p2[i] * 0.5;
        }
    }
};

buffers data;

void bm_slot(benchmark::State& state, int level, int slot) {
    resample_table t;
    resample_table_fill(t, resample_level_features(level));
    const resample_primitives& k = t.k;
    buffers& d = data;
    for (auto _ : state) {
        switch (slot) {
        case 0: k.blend_run(d.p1.data(), d.gx.data(), d.fx.data(), d.sums.data(), samples); break;
        case 1:
            k.blend_run_row_pair(d.p1.data(), d.p2.data(), d.gx.data(), d.fx.data(), d.sums.data(),
                                 d.out1.data(), d.out2.data(), samples, 0.25, 0.75, 0.5, 0.5);
            break;
        case 2: k.widen_row(d.p1.data(), d.kept.data(), samples); break;
        case 3: k.blend_kept_row(d.p1.data(), d.kept.data(), d.out1.data(), samples, 0.25, 0.75); break;
        case 4:
            k.blend_kept_row_pair(d.p1.data(), d.p2.data(), d.kept.data(), d.out1.data(), d.out2.data(),
                                  samples, 0.25, 0.75, 0.5, 0.5);
            break;
        default: k.blend_sums(d.a.data(), d.b.data(), d.out1.data(), samples, 0.25, 0.75); break;
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * samples);
}

const char* const slot_names[] = {"blend_run", "blend_run_row_pair", "widen_row",
                                  "blend_kept_row", "blend_kept_row_pair", "blend_sums"};

}  // namespace

int main(int argc, char** argv) {
    for (int slot = 0; slot < 6; slot++) {
        for (int level = 0; level < resample_level_count(); level++) {
            if (!resample_level_runs(level)) continue;
            const std::string name = std::string(slot_names[slot]) + "/" + resample_level_name(level);
            benchmark::RegisterBenchmark(name.c_str(), bm_slot, level, slot);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Google Benchmark of the resampling pass on 1920 x 1080 frames: the reference
// and every level of the table this processor has, in each phase, and a plain
// copy of the frame as the memory floor. After the usual report, one table
// gives the median over the repetitions in ns per pixel and as a multiple of
// the copy, all from this one run.
//
//   build/native/bench/pulvax_resample_bench --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_frame.h"
#include "effect/cpu_features.h"
#include "effect/resample_kernels.h"

namespace {

bench_frame frame;
const double pixels = static_cast<double>(bench_w) * bench_h;

void bm_copy(benchmark::State& state) {
    for (auto _ : state) {
        memcpy(frame.dst.data(), frame.src.data(), bench_frame_bytes(frame));
        benchmark::ClobberMemory();
    }
}

void bm_reference(benchmark::State& state, int phase) {
    const resample_job job = bench_job(frame, phase);
    for (auto _ : state) {
        resample_reference(job);
        benchmark::ClobberMemory();
    }
}

void bm_level(benchmark::State& state, int phase, int level) {
    const resample_job job = bench_job(frame, phase);
    resample_table table;
    resample_table_fill(table, resample_level_features(level));
    for (auto _ : state) {
        resample_with(table, job);
        benchmark::ClobberMemory();
    }
}

// Keeps every repetition's real time per iteration, for the table.
class summary_reporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, std::vector<double>> ns_per_frame;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            const double ns = run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations);
            ns_per_frame[run.run_name.function_name].push_back(ns);
        }
    }
    // Median ns per pixel, or 0 where the benchmark did not run.
    double median(const std::string& name) const {
        auto it = ns_per_frame.find(name);
        if (it == ns_per_frame.end() || it->second.empty()) return 0.0;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        const double m = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
        return m / pixels;
    }
};

// The processor's name, where the system tells it (Linux), for the table's
// heading.
std::string machine_name() {
    FILE* f = fopen("/proc/cpuinfo", "r");
    if (!f) return "unknown processor";
    char line[256];
    std::string name = "unknown processor";
    while (fgets(line, sizeof line, f)) {
        if (strncmp(line, "model name", 10) != 0) continue;
        const char* colon = strchr(line, ':');
        if (colon) name = colon + 2;
        while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) name.pop_back();
        break;
    }
    fclose(f);
    return name;
}

std::string bench_name(int phase, const char* set) {
    return "phase" + std::to_string(phase) + "/" + set;
}

}  // namespace

int main(int argc, char** argv) {
    bench_frame_init(frame);
    std::vector<int> levels;
    for (int level = 0; level < resample_level_count(); level++)
        if (resample_level_runs(level)) levels.push_back(level);

    benchmark::RegisterBenchmark("copy", bm_copy)->Unit(benchmark::kMillisecond);
    for (int phase = 1; phase <= 4; phase++) {
        benchmark::RegisterBenchmark(bench_name(phase, "reference").c_str(), bm_reference, phase)
            ->Unit(benchmark::kMillisecond);
        for (int level : levels) {
            benchmark::RegisterBenchmark(bench_name(phase, resample_level_name(level)).c_str(),
                                         bm_level, phase, level)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    summary_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double copy = reporter.median("copy");
    if (copy <= 0.0) return 0;
    printf("\n%s; %dx%d about (%d, %d); medians over the repetitions; table level in use: %s\n",
           machine_name().c_str(), bench_w, bench_h, bench_ref_x, bench_ref_y,
           resample_level_name(resample_level()));
    printf("copy (memcpy of the frame): %.3f ns/pixel\n\n", copy);
    printf("| set | phase 1 | phase 2 | phase 3 | phase 4 |\n|---|---|---|---|---|\n");
    std::vector<const char*> sets = {"reference"};
    for (int level : levels) sets.push_back(resample_level_name(level));
    for (const char* set : sets) {
        printf("| %s |", set);
        for (int phase = 1; phase <= 4; phase++) {
            const double ns = reporter.median(bench_name(phase, set));
            if (ns > 0.0)
                printf(" %.2f (%.1f ×) |", ns, ns / copy);  // ns per pixel (times the copy)
            else
                printf(" - |");
        }
        printf("\n");
    }
    return 0;
}

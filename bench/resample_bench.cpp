// Google Benchmark of the resampling pass on 1920 x 1080 frames: every usable
// kernel in each phase row, and a plain copy of the frame as the memory floor.
// After the usual report, a summary gives ns per pixel and the ratios to the
// reference and to the copy, all from this one run.
//
//   build/native/bench/pulvax_resample_bench [--benchmark_min_time=0.5]
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <string.h>

#include <map>
#include <string>

#include "bench/bench_frame.h"
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

void bm_resample(benchmark::State& state, int row, int kernel) {
    const resample_job job = bench_job(frame, row);
    for (auto _ : state) {
        resample_with(kernel, job);
        benchmark::ClobberMemory();
    }
}

// Keeps each benchmark's real time per iteration, for the summary.
class summary_reporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ns_per_frame;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            const double ns = run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations);
            const std::string name = run.run_name.function_name;
            auto it = ns_per_frame.find(name);
            if (it == ns_per_frame.end() || ns < it->second) ns_per_frame[name] = ns;
        }
    }
};

std::string bench_name(int row, int kernel) {
    return "row" + std::to_string(row) + "/" + resample_kernel_name(kernel);
}

}  // namespace

int main(int argc, char** argv) {
    bench_frame_init(frame);
    benchmark::RegisterBenchmark("copy", bm_copy)->Unit(benchmark::kMillisecond);
    for (int row = 1; row <= 4; row++) {
        for (int kernel = 0; kernel < kernel_count; kernel++) {
            if (!resample_kernel_usable(kernel)) continue;
            benchmark::RegisterBenchmark(bench_name(row, kernel).c_str(), bm_resample, row, kernel)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    summary_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& t = reporter.ns_per_frame;
    auto found = [&](const std::string& name) { return t.count(name) != 0; };
    if (!found("copy")) return 0;
    const double copy = t.at("copy") / pixels;
    printf("\n%dx%d, kernel picked by resample_frame: %s\n", bench_w, bench_h,
           resample_kernel_name(resample_kernel_selected()));
    printf("copy (memcpy of the frame): %.3f ns/pixel\n\n", copy);
    printf("%-4s %-10s %10s %14s %10s\n", "row", "kernel", "ns/pixel", "x faster than", "x copy");
    printf("%-4s %-10s %10s %14s %10s\n", "", "", "", "reference", "");
    for (int row = 1; row <= 4; row++) {
        const std::string ref = bench_name(row, kernel_reference);
        for (int kernel = 0; kernel < kernel_count; kernel++) {
            const std::string name = bench_name(row, kernel);
            if (!found(name)) continue;
            const double ns = t.at(name) / pixels;
            const double speedup = found(ref) ? t.at(ref) / t.at(name) : 0.0;
            printf("%-4d %-10s %10.3f %14.2f %10.2f\n", row, resample_kernel_name(kernel), ns,
                   speedup, ns / copy);
        }
    }
    return 0;
}

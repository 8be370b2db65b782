// Timing mode for the module file on 1920 x 1080 frames: loads the module
// through the test host and times func_proc (what the editor's title shows)
// in each phase, beside the in-process reference pass, every level of the
// resampling table this processor has and a plain copy of the frame, all in this one run. Runs natively
// (pulvax.so) and under Wine (pulvax.auf), so the two builds compare directly.
//
//   frame_timing [module path] [repetitions]
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "bench/bench_frame.h"
#include "effect/cpu_features.h"
#include "effect/resample_kernels.h"
#include "shared/track_table.h"
#include "testhost/editor_host.h"

namespace {

// The median time of one call of fn, in ns, over reps calls.
template <typename F>
double median_ns(int reps, F fn) {
    std::vector<double> times;
    for (int i = 0; i < reps; i++) {
        const auto start = std::chrono::steady_clock::now();
        fn();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::nano>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const char* module_path = argc > 1 ? argv[1] : PULVAX_MODULE_PATH;
    const int reps = argc > 2 ? atoi(argv[2]) : 21;
    if (reps < 1) {
        fprintf(stderr, "frame_timing: repetitions must be at least 1\n");
        return 2;
    }
    const double pixels = static_cast<double>(bench_w) * bench_h;

    editor_host host;
    std::string error;
    if (!editor_load(host, module_path, error)) {
        fprintf(stderr, "frame_timing: %s\n", error.c_str());
        return 1;
    }
    // The other tracks keep their defaults (period 10, one frame per phase,
    // start 0), so frames 6 to 9 are phases 1 to 4.
    editor_set_track(host, track_ref_x, bench_ref_x);
    editor_set_track(host, track_ref_y, bench_ref_y);
    editor_set_frame_size(host, bench_w, bench_h, bench_w);
    bench_fill(editor_input(host), host.buffer_a.size(), 1);

    bench_frame frame;
    bench_frame_init(frame);
    const double copy = median_ns(reps, [&] {
        memcpy(frame.dst.data(), frame.src.data(), bench_frame_bytes(frame));
    }) / pixels;

    printf("%dx%d, median of %d, module %s\n", bench_w, bench_h, reps, module_path);
    printf("in-process table level: %s\n", resample_level_name(resample_level()));
    printf("copy (memcpy of the frame): %.3f ns/pixel\n\n", copy);
    printf("%-5s %-20s %10s %14s %8s\n", "phase", "path", "ns/pixel", "x faster than", "x copy");
    printf("%-5s %-20s %10s %14s %8s\n", "", "", "", "reference", "");
    for (int phase = 1; phase <= 4; phase++) {
        const resample_job job = bench_job(frame, phase);
        const int ref_reps = reps < 5 ? reps : 5;  // about 50 ms each
        const double reference =
            median_ns(ref_reps, [&] { resample_reference(job); }) / pixels;
        bool changed = true;
        const double module = median_ns(reps, [&] {
            editor_process(host, 5 + phase);
            changed = changed && editor_frame_changed(host);
        }) / pixels;
        if (!changed) {
            fprintf(stderr, "frame_timing: frame %d was not transformed\n", 5 + phase);
            return 1;
        }
        printf("%-5d %-20s %10.3f %14.2f %8.2f\n", phase, "func_proc (module)", module,
               reference / module, module / copy);
        printf("%-5d %-20s %10.3f %14.2f %8.2f\n", phase, "in process: reference", reference,
               1.0, reference / copy);
        for (int level = 0; level < resample_level_count(); level++) {
            if (!resample_level_runs(level)) continue;
            resample_table table;
            resample_table_fill(table, resample_level_features(level));
            const double ns = median_ns(reps, [&] { resample_with(table, job); }) / pixels;
            printf("%-5d %-20s %10.3f %14.2f %8.2f\n", phase,
                   (std::string("in process: ") + resample_level_name(level)).c_str(), ns,
                   reference / ns, ns / copy);
        }
    }
    editor_unload(host);
    return 0;
}

#include "effect/resample_kernels.h"

#include "effect/cpu_features.h"
#include "effect/resample_fast.h"

static const char* const kernel_names[kernel_count] = {"reference", "plain", "sse2", "avx2"};

// Filled once, on first use: the inner loops of each usable fast kernel.
static bool kernels_probed = false;
static const resample_primitives* kernel_loops[kernel_count];
static int selected_kernel = kernel_reference;

static int best_kernel() {
    for (int k = kernel_count - 1; k > kernel_reference; k--)
        if (kernel_loops[k]) return k;
    return kernel_reference;
}

static void probe_kernels() {
    if (kernels_probed) return;
    kernel_loops[kernel_reference] = nullptr;
    kernel_loops[kernel_plain] = resample_primitives_scalar();
    kernel_loops[kernel_sse2] = cpu_has_sse2() ? resample_primitives_sse2() : nullptr;
    kernel_loops[kernel_avx2] = cpu_has_avx2() ? resample_primitives_avx2() : nullptr;
    selected_kernel = best_kernel();
    kernels_probed = true;
}

const char* resample_kernel_name(int kernel) {
    return kernel >= 0 && kernel < kernel_count ? kernel_names[kernel] : "?";
}

bool resample_kernel_usable(int kernel) {
    if (kernel < 0 || kernel >= kernel_count) return false;
    probe_kernels();
    return kernel == kernel_reference || kernel_loops[kernel] != nullptr;
}

int resample_kernel_selected() {
    probe_kernels();
    return selected_kernel;
}

bool resample_force_kernel(int kernel) {
    probe_kernels();
    if (kernel == kernel_count) {
        selected_kernel = best_kernel();
        return true;
    }
    if (!resample_kernel_usable(kernel)) return false;
    selected_kernel = kernel;
    return true;
}

void resample_with(int kernel, const resample_job& job) {
    probe_kernels();
    const resample_primitives* loops =
        kernel >= 0 && kernel < kernel_count ? kernel_loops[kernel] : nullptr;
    if (loops)
        resample_fast(*loops, job);
    else
        resample_reference(job);
}

void resample_frame(const resample_job& job) { resample_with(resample_kernel_selected(), job); }

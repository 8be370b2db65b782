// The resampling pass in its implementations, which all give the pixels of
// resample_reference: the reference itself, the fast pass on plain loops, on
// SSE2 and on AVX2. resample_frame uses the best one the processor supports,
// picked once on first use; tests and benchmarks may force any.
#pragma once

#include "effect/resample.h"

enum resample_kernel {
    kernel_reference,
    kernel_plain,
    kernel_sse2,
    kernel_avx2,
    kernel_count
};

// "reference", "plain", "sse2", "avx2".
const char* resample_kernel_name(int kernel);

// Built into this program and supported by this processor.
bool resample_kernel_usable(int kernel);

// The kernel resample_frame uses.
int resample_kernel_selected();

// Makes resample_frame use the kernel from now on (it must be usable);
// kernel_count goes back to the automatic choice. Returns false, changing
// nothing, for a kernel that is not usable.
bool resample_force_kernel(int kernel);

// One pass with the selected kernel.
void resample_frame(const resample_job& job);

// One pass with the given kernel, which must be usable.
void resample_with(int kernel, const resample_job& job);

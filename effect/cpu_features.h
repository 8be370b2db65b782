// What the processor (and the system, for the wider registers) supports, as a
// mask of feature bits. The resampling table is filled from such a mask.
#pragma once

#include <stdint.h>

enum cpu_feature {
    cpu_sse2 = 1u << 0,
    // AVX2, and a system that saves the 256-bit registers.
    cpu_avx2 = 1u << 1,
    // AVX-512 F, BW, DQ and VL, and a system that saves the 512-bit registers,
    // the upper sixteen of them and the opmask registers.
    cpu_avx512 = 1u << 2,
};

// The cpuid words and the saved-state register (XCR0) the features are read
// from.
struct cpuid_words {
    unsigned max_leaf;   // leaf 0, eax
    unsigned leaf1_ecx;  // leaf 1
    unsigned leaf1_edx;
    unsigned leaf7_ebx;  // leaf 7, subleaf 0 (0 where max_leaf < 7)
    uint64_t xcr0;       // 0 where the system has not enabled XGETBV (no OSXSAVE)
};

// The features those words describe.
unsigned cpu_features_from(const cpuid_words& words);

// This processor's words (all zero on a processor that is not x86).
cpuid_words cpu_read_words();

// This processor's features: cpu_features_from(cpu_read_words()).
unsigned cpu_features();

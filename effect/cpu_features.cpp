#include "effect/cpu_features.h"

#include <stdint.h>

#if defined(_MSC_VER)
#include <intrin.h>
#include <immintrin.h>
#define PULVAX_X86 1
#elif defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define PULVAX_X86 1
#endif

#if defined(PULVAX_X86)

static void cpuid(unsigned leaf, unsigned sub, unsigned r[4]) {
#if defined(_MSC_VER)
    int v[4];
    __cpuidex(v, static_cast<int>(leaf), static_cast<int>(sub));
    for (int i = 0; i < 4; i++) r[i] = static_cast<unsigned>(v[i]);
#else
    __cpuid_count(leaf, sub, r[0], r[1], r[2], r[3]);
#endif
}

static unsigned max_leaf() {
    unsigned r[4];
    cpuid(0, 0, r);
    return r[0];
}

// The register state the system saves on a switch (XCR0).
static uint64_t saved_state() {
#if defined(_MSC_VER)
    return _xgetbv(0);
#else
    unsigned lo, hi;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<uint64_t>(hi) << 32) | lo;
#endif
}

bool cpu_has_sse2() {
    unsigned r[4];
    cpuid(1, 0, r);
    return (r[3] >> 26) & 1;
}

bool cpu_has_avx2() {
    if (max_leaf() < 7) return false;
    unsigned r[4];
    cpuid(1, 0, r);
    const bool osxsave = (r[2] >> 27) & 1;
    const bool avx = (r[2] >> 28) & 1;
    if (!osxsave || !avx) return false;
    if ((saved_state() & 6) != 6) return false;  // SSE and AVX state
    cpuid(7, 0, r);
    return (r[1] >> 5) & 1;
}

#else

bool cpu_has_sse2() { return false; }
bool cpu_has_avx2() { return false; }

#endif

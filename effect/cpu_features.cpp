#include "effect/cpu_features.h"

#if defined(_MSC_VER)
#include <intrin.h>
#include <immintrin.h>
#define PULVAX_X86 1
#elif defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define PULVAX_X86 1
#endif

namespace {

bool bit(unsigned word, int n) { return (word >> n) & 1; }

// Leaf 1, ecx.
enum { ecx_osxsave = 27, ecx_avx = 28 };
// Leaf 1, edx.
enum { edx_sse2 = 26 };
// Leaf 7, ebx.
enum { ebx_avx2 = 5, ebx_avx512f = 16, ebx_avx512dq = 17, ebx_avx512bw = 30, ebx_avx512vl = 31 };
// XCR0: the register state the system saves on a switch.
const uint64_t xcr0_ymm = 0x6;     // SSE and AVX state
const uint64_t xcr0_zmm = 0xE6;    // those, the opmask, ZMM_Hi256 and Hi16_ZMM state

}  // namespace

unsigned cpu_features_from(const cpuid_words& w) {
    unsigned features = 0;
    if (bit(w.leaf1_edx, edx_sse2)) features |= cpu_sse2;
    if (w.max_leaf < 7 || !bit(w.leaf1_ecx, ecx_osxsave) || !bit(w.leaf1_ecx, ecx_avx))
        return features;
    if ((w.xcr0 & xcr0_ymm) != xcr0_ymm || !bit(w.leaf7_ebx, ebx_avx2)) return features;
    features |= cpu_avx2;
    const bool avx512 = bit(w.leaf7_ebx, ebx_avx512f) && bit(w.leaf7_ebx, ebx_avx512dq) &&
                        bit(w.leaf7_ebx, ebx_avx512bw) && bit(w.leaf7_ebx, ebx_avx512vl);
    if (avx512 && (w.xcr0 & xcr0_zmm) == xcr0_zmm) features |= cpu_avx512;
    return features;
}

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

static uint64_t read_xcr0() {
#if defined(_MSC_VER)
    return _xgetbv(0);
#else
    unsigned lo, hi;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<uint64_t>(hi) << 32) | lo;
#endif
}

cpuid_words cpu_read_words() {
    cpuid_words w = cpuid_words();
    unsigned r[4];
    cpuid(0, 0, r);
    w.max_leaf = r[0];
    if (w.max_leaf < 1) return w;
    cpuid(1, 0, r);
    w.leaf1_ecx = r[2];
    w.leaf1_edx = r[3];
    if (w.max_leaf >= 7) {
        cpuid(7, 0, r);
        w.leaf7_ebx = r[1];
    }
    // XGETBV faults unless the system has enabled it.
    if (bit(w.leaf1_ecx, ecx_osxsave)) w.xcr0 = read_xcr0();
    return w;
}

#else

cpuid_words cpu_read_words() { return cpuid_words(); }

#endif

unsigned cpu_features() { return cpu_features_from(cpu_read_words()); }

// The inner loops in AVX-512 (F, BW, DQ, VL), eight doubles at a time. Built
// with those flags for this file only (never FMA: every product is rounded
// before its sum), and used only where cpu_features() finds them and a system
// that saves the 512-bit and opmask registers. The helpers are internal so
// that no AVX-512 instruction reaches a path taken on an older processor.
#include "effect/resample_primitives.h"

#if defined(__AVX512F__) && defined(__AVX512BW__) && defined(__AVX512DQ__) && \
    defined(__AVX512VL__)
#include <immintrin.h>

namespace {

// The conversions with a full zeroing mask: the same instructions, without
// the unmasked forms' undefined pass-through operand.
const __mmask8 all8 = 0xFF;

// Eight int16 samples as doubles (exact).
inline __m512d widen8(const int16_t* p) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return _mm512_maskz_cvtepi32_pd(all8, _mm256_cvtepi16_epi32(s));
}

// The lanes of the first n (0 < n, at most 8) of eight.
inline __mmask8 first_lanes(int n) {
    return n >= 8 ? all8 : static_cast<__mmask8>((1u << n) - 1);
}

// The lanes of m of eight int16 samples as doubles (zeros elsewhere), reading
// only those lanes.
inline __m512d widen8_masked(__mmask8 m, const int16_t* p) {
    const __m128i s = _mm_maskz_loadu_epi16(m, p);
    return _mm512_maskz_cvtepi32_pd(all8, _mm256_cvtepi16_epi32(s));
}

// trunc(a * ga + b * fb) for eight lanes, as eight int32.
inline __m256i blend8(__m512d a, __m512d b, __m512d ga, __m512d fb) {
    const __m512d sum = _mm512_add_pd(_mm512_mul_pd(a, ga), _mm512_mul_pd(b, fb));
    return _mm512_maskz_cvttpd_epi32(all8, sum);
}

// Sixteen int32 (lo: the first eight) as sixteen int16, in order.
inline __m256i pack16(__m256i lo, __m256i hi) {
    return _mm256_permute4x64_epi64(_mm256_packs_epi32(lo, hi), 0xD8);
}

inline void store16(int16_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// The horizontal blends of eight samples of a run.
inline __m512d run8(const int16_t* p, const double* g, const double* f) {
    const __m512d top = _mm512_mul_pd(widen8(p), _mm512_loadu_pd(g));
    const __m512d next = _mm512_mul_pd(widen8(p + 3), _mm512_loadu_pd(f));
    return _mm512_add_pd(top, next);
}

// run8 for the lanes of m, reading only those.
inline __m512d run8_masked(__mmask8 m, const int16_t* p, const double* g, const double* f) {
    const __m512d top = _mm512_mul_pd(widen8_masked(m, p), _mm512_maskz_loadu_pd(m, g));
    const __m512d next = _mm512_mul_pd(widen8_masked(m, p + 3), _mm512_maskz_loadu_pd(m, f));
    return _mm512_add_pd(top, next);
}

void blend_run_avx512(const int16_t* p, const double* g, const double* f, double* sums, int n) {
    int j = 0;
    for (; j + 8 <= n; j += 8) _mm512_storeu_pd(sums + j, run8(p + j, g + j, f + j));
    blend_run_scalar(p, g, f, sums, j, n);
}

// blend_pairs_scalar sixteen samples at a time, from form(p, j): the eight
// values of row p at j. Returns where it stopped (fewer than sixteen left).
template <typename Form>
inline int blend_pairs(const int16_t* p1, const int16_t* p2, Form form, double* held,
                       int16_t* out1, int16_t* out2, int n, __m512d vg1, __m512d vf1,
                       __m512d vg2, __m512d vf2) {
    int j = 0;
    for (; j + 16 <= n; j += 16) {
        const __m512d up0 = _mm512_loadu_pd(held + j), up1 = _mm512_loadu_pd(held + j + 8);
        const __m512d s0 = form(p1, j), s1 = form(p1, j + 8);
        const __m512d t0 = form(p2, j), t1 = form(p2, j + 8);
        _mm512_storeu_pd(held + j, t0);
        _mm512_storeu_pd(held + j + 8, t1);
        store16(out1 + j, pack16(blend8(up0, s0, vg1, vf1), blend8(up1, s1, vg1, vf1)));
        store16(out2 + j, pack16(blend8(s0, t0, vg2, vf2), blend8(s1, t1, vg2, vf2)));
    }
    return j;
}

void blend_run_row_pair_avx512(const int16_t* p1, const int16_t* p2, const double* g,
                               const double* f, double* sums, int16_t* out1, int16_t* out2,
                               int n, double g1, double f1, double g2, double f2) {
    const __m512d vg1 = _mm512_set1_pd(g1), vf1 = _mm512_set1_pd(f1);
    const __m512d vg2 = _mm512_set1_pd(g2), vf2 = _mm512_set1_pd(f2);
    const auto run = [g, f](const int16_t* p, int j) { return run8(p + j, g + j, f + j); };
    int j = blend_pairs(p1, p2, run, sums, out1, out2, n, vg1, vf1, vg2, vf2);
    // The run's last samples (runs are short, so these are many) with masks.
    for (; j < n; j += 8) {
        const __mmask8 m = first_lanes(n - j);
        const __m512d up = _mm512_maskz_loadu_pd(m, sums + j);
        const __m512d s0 = run8_masked(m, p1 + j, g + j, f + j);
        const __m512d t0 = run8_masked(m, p2 + j, g + j, f + j);
        _mm512_mask_storeu_pd(sums + j, m, t0);
        _mm256_mask_cvtsepi32_storeu_epi16(out1 + j, m, blend8(up, s0, vg1, vf1));
        _mm256_mask_cvtsepi32_storeu_epi16(out2 + j, m, blend8(s0, t0, vg2, vf2));
    }
}

void widen_row_avx512(const int16_t* p, double* kept, int n) {
    int j = 0;
    for (; j + 8 <= n; j += 8) _mm512_storeu_pd(kept + j, widen8(p + j));
    widen_row_scalar(p, kept, j, n);
}

void blend_kept_row_avx512(const int16_t* p, double* kept, int16_t* out, int n, double ga,
                           double fb) {
    const __m512d vg = _mm512_set1_pd(ga), vf = _mm512_set1_pd(fb);
    int j = 0;
    for (; j + 16 <= n; j += 16) {
        const __m512d up0 = _mm512_loadu_pd(kept + j), up1 = _mm512_loadu_pd(kept + j + 8);
        const __m512d s0 = widen8(p + j), s1 = widen8(p + j + 8);
        _mm512_storeu_pd(kept + j, s0);
        _mm512_storeu_pd(kept + j + 8, s1);
        store16(out + j, pack16(blend8(up0, s0, vg, vf), blend8(up1, s1, vg, vf)));
    }
    blend_kept_row_scalar(p, kept, out, j, n, ga, fb);
}

void blend_kept_row_pair_avx512(const int16_t* p1, const int16_t* p2, double* kept,
                                int16_t* out1, int16_t* out2, int n, double g1, double f1,
                                double g2, double f2) {
    const auto widen = [](const int16_t* p, int j) { return widen8(p + j); };
    const int j = blend_pairs(p1, p2, widen, kept, out1, out2, n, _mm512_set1_pd(g1),
                              _mm512_set1_pd(f1), _mm512_set1_pd(g2), _mm512_set1_pd(f2));
    blend_kept_row_pair_scalar(p1, p2, kept, out1, out2, j, n, g1, f1, g2, f2);
}

void blend_sums_avx512(const double* a, const double* b, int16_t* out, int n, double ga,
                       double fb) {
    const __m512d vg = _mm512_set1_pd(ga);
    const __m512d vf = _mm512_set1_pd(fb);
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i lo = blend8(_mm512_loadu_pd(a + i), _mm512_loadu_pd(b + i), vg, vf);
        const __m256i hi = blend8(_mm512_loadu_pd(a + i + 8), _mm512_loadu_pd(b + i + 8), vg, vf);
        store16(out + i, pack16(lo, hi));
    }
    blend_scalar(a + i, b + i, out + i, n - i, ga, fb);
}

}  // namespace

bool resample_fill_avx512(resample_primitives& p) {
    p.blend_run = blend_run_avx512;
    p.blend_run_row_pair = blend_run_row_pair_avx512;
    p.widen_row = widen_row_avx512;
    p.blend_kept_row = blend_kept_row_avx512;
    p.blend_kept_row_pair = blend_kept_row_pair_avx512;
    p.blend_sums = blend_sums_avx512;
    return true;
}

#else

bool resample_fill_avx512(resample_primitives&) { return false; }

#endif

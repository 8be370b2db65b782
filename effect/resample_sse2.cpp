// The inner loops in SSE2, two doubles at a time: the baseline of both the
// 64-bit and the 32-bit build. Each lane does the scalar operations in order.
#include "effect/resample_primitives.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>

namespace {

// Four int16 of v (low or high half) sign-extended to int32.
inline __m128i low_int32(__m128i v) { return _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16); }
inline __m128i high_int32(__m128i v) { return _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16); }

// The low or high two int32 of q as doubles (exact).
inline __m128d low_pd(__m128i q) { return _mm_cvtepi32_pd(q); }
inline __m128d high_pd(__m128i q) { return _mm_cvtepi32_pd(_mm_unpackhi_epi64(q, q)); }

inline __m128i load8(const int16_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void store8(int16_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// trunc(a * ga + b * fb) for two lanes, as two int32 in the low half.
inline __m128i blend2(__m128d a, __m128d b, __m128d ga, __m128d fb) {
    return _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(a, ga), _mm_mul_pd(b, fb)));
}

// Four samples' blends from two int32 quads.
inline __m128i blend4(__m128i a, __m128i b, __m128d ga, __m128d fb) {
    return _mm_unpacklo_epi64(blend2(low_pd(a), low_pd(b), ga, fb),
                              blend2(high_pd(a), high_pd(b), ga, fb));
}

// Eight samples of two rows, blended and packed to int16.
inline __m128i blend8(__m128i a, __m128i b, __m128d ga, __m128d fb) {
    return _mm_packs_epi32(blend4(low_int32(a), low_int32(b), ga, fb),
                           blend4(high_int32(a), high_int32(b), ga, fb));
}

void blend_rows_sse2(const int16_t* a, const int16_t* b, int16_t* out, int n, double ga,
                     double fb) {
    const __m128d vg = _mm_set1_pd(ga);
    const __m128d vf = _mm_set1_pd(fb);
    int i = 0;
    for (; i + 8 <= n; i += 8) store8(out + i, blend8(load8(a + i), load8(b + i), vg, vf));
    blend_scalar(a + i, b + i, out + i, n - i, ga, fb);
}

// Four samples of three rows (as int32): out1 from a and b, out2 from b and c,
// each sample of b converted once.
inline void blend4_pair(__m128i a, __m128i b, __m128i c, __m128d g1, __m128d f1, __m128d g2,
                        __m128d f2, __m128i* out1, __m128i* out2) {
    const __m128d b_lo = low_pd(b), b_hi = high_pd(b);
    *out1 = _mm_unpacklo_epi64(blend2(low_pd(a), b_lo, g1, f1), blend2(high_pd(a), b_hi, g1, f1));
    *out2 = _mm_unpacklo_epi64(blend2(b_lo, low_pd(c), g2, f2), blend2(b_hi, high_pd(c), g2, f2));
}

void blend_row_pair_sse2(const int16_t* a, const int16_t* b, const int16_t* c, int16_t* out1,
                         int16_t* out2, int n, double g1, double f1, double g2, double f2) {
    const __m128d vg1 = _mm_set1_pd(g1), vf1 = _mm_set1_pd(f1);
    const __m128d vg2 = _mm_set1_pd(g2), vf2 = _mm_set1_pd(f2);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i va = load8(a + i), vb = load8(b + i), vc = load8(c + i);
        __m128i lo1, lo2, hi1, hi2;
        blend4_pair(low_int32(va), low_int32(vb), low_int32(vc), vg1, vf1, vg2, vf2, &lo1, &lo2);
        blend4_pair(high_int32(va), high_int32(vb), high_int32(vc), vg1, vf1, vg2, vf2, &hi1,
                    &hi2);
        store8(out1 + i, _mm_packs_epi32(lo1, hi1));
        store8(out2 + i, _mm_packs_epi32(lo2, hi2));
    }
    blend_scalar(a + i, b + i, out1 + i, n - i, g1, f1);
    blend_scalar(b + i, c + i, out2 + i, n - i, g2, f2);
}

// Two samples' horizontal blends from two int32 pairs and their weights.
inline __m128d run2(__m128d top, __m128d next, const double* g, const double* f) {
    return _mm_add_pd(_mm_mul_pd(top, _mm_loadu_pd(g)), _mm_mul_pd(next, _mm_loadu_pd(f)));
}

// The horizontal blends of eight samples of a run, two to a register.
inline void run8(const int16_t* p, const double* g, const double* f, __m128d s[4]) {
    const __m128i top = load8(p), next = load8(p + 3);
    const __m128i t_lo = low_int32(top), t_hi = high_int32(top);
    const __m128i n_lo = low_int32(next), n_hi = high_int32(next);
    s[0] = run2(low_pd(t_lo), low_pd(n_lo), g, f);
    s[1] = run2(high_pd(t_lo), high_pd(n_lo), g + 2, f + 2);
    s[2] = run2(low_pd(t_hi), low_pd(n_hi), g + 4, f + 4);
    s[3] = run2(high_pd(t_hi), high_pd(n_hi), g + 6, f + 6);
}

void blend_run_sse2(const int16_t* p, const double* g, const double* f, double* sums, int n) {
    int j = 0;
    for (; j + 8 <= n; j += 8) {
        __m128d s[4];
        run8(p + j, g + j, f + j, s);
        for (int k = 0; k < 4; k++) _mm_storeu_pd(sums + j + 2 * k, s[k]);
    }
    blend_run_scalar(p, g, f, sums, j, n);
}

// Eight samples' vertical blends of two rows of horizontal blends, two to a
// register, packed to int16.
inline __m128i blend8_sums(const __m128d a[4], const __m128d b[4], __m128d ga, __m128d fb) {
    const __m128i q0 = _mm_unpacklo_epi64(blend2(a[0], b[0], ga, fb), blend2(a[1], b[1], ga, fb));
    const __m128i q1 = _mm_unpacklo_epi64(blend2(a[2], b[2], ga, fb), blend2(a[3], b[3], ga, fb));
    return _mm_packs_epi32(q0, q1);
}

void blend_run_row_pair_sse2(const int16_t* p1, const int16_t* p2, const double* g,
                             const double* f, double* sums, int16_t* out1, int16_t* out2, int n,
                             double g1, double f1, double g2, double f2) {
    const __m128d vg1 = _mm_set1_pd(g1), vf1 = _mm_set1_pd(f1);
    const __m128d vg2 = _mm_set1_pd(g2), vf2 = _mm_set1_pd(f2);
    int j = 0;
    for (; j + 8 <= n; j += 8) {
        __m128d up[4], s[4], t[4];
        for (int k = 0; k < 4; k++) up[k] = _mm_loadu_pd(sums + j + 2 * k);
        run8(p1 + j, g + j, f + j, s);
        run8(p2 + j, g + j, f + j, t);
        for (int k = 0; k < 4; k++) _mm_storeu_pd(sums + j + 2 * k, t[k]);
        store8(out1 + j, blend8_sums(up, s, vg1, vf1));
        store8(out2 + j, blend8_sums(s, t, vg2, vf2));
    }
    blend_run_row_pair_scalar(p1, p2, g, f, sums, out1, out2, j, n, g1, f1, g2, f2);
}

void blend_sums_sse2(const double* a, const double* b, int16_t* out, int n, double ga,
                     double fb) {
    const __m128d vg = _mm_set1_pd(ga);
    const __m128d vf = _mm_set1_pd(fb);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m128d va[4], vb[4];
        for (int k = 0; k < 4; k++) {
            va[k] = _mm_loadu_pd(a + i + 2 * k);
            vb[k] = _mm_loadu_pd(b + i + 2 * k);
        }
        store8(out + i, blend8_sums(va, vb, vg, vf));
    }
    blend_scalar(a + i, b + i, out + i, n - i, ga, fb);
}

}  // namespace

bool resample_fill_sse2(resample_primitives& p) {
    p.blend_rows = blend_rows_sse2;
    p.blend_row_pair = blend_row_pair_sse2;
    p.blend_run = blend_run_sse2;
    p.blend_run_row_pair = blend_run_row_pair_sse2;
    p.blend_sums = blend_sums_sse2;
    return true;
}

#else

bool resample_fill_sse2(resample_primitives&) { return false; }

#endif

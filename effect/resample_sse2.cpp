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

// Two samples' horizontal blends from two int32 pairs and their weights.
inline __m128d run2(__m128d top, __m128d next, const double* g, const double* f) {
    return _mm_add_pd(_mm_mul_pd(top, _mm_loadu_pd(g)), _mm_mul_pd(next, _mm_loadu_pd(f)));
}

// The horizontal blends of eight samples of a run, two to a register. (Two
// widen8 calls give the same instructions in another order, and measured
// about 10 % slower in phase 2.)
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

// blend_pairs_scalar eight samples at a time, from form(p, j, v): the eight
// values of row p at j, into v. Returns where it stopped (fewer than eight
// left).
template <typename Form>
inline int blend_pairs(const int16_t* p1, const int16_t* p2, Form form, double* held,
                       int16_t* out1, int16_t* out2, int n, double g1, double f1, double g2,
                       double f2) {
    const __m128d vg1 = _mm_set1_pd(g1), vf1 = _mm_set1_pd(f1);
    const __m128d vg2 = _mm_set1_pd(g2), vf2 = _mm_set1_pd(f2);
    int j = 0;
    for (; j + 8 <= n; j += 8) {
        __m128d up[4], s[4], t[4];
        for (int k = 0; k < 4; k++) up[k] = _mm_loadu_pd(held + j + 2 * k);
        form(p1, j, s);
        form(p2, j, t);
        for (int k = 0; k < 4; k++) _mm_storeu_pd(held + j + 2 * k, t[k]);
        store8(out1 + j, blend8_sums(up, s, vg1, vf1));
        store8(out2 + j, blend8_sums(s, t, vg2, vf2));
    }
    return j;
}

void blend_run_row_pair_sse2(const int16_t* p1, const int16_t* p2, const double* g,
                             const double* f, double* sums, int16_t* out1, int16_t* out2, int n,
                             double g1, double f1, double g2, double f2) {
    const auto run = [g, f](const int16_t* p, int j, __m128d v[4]) {
        run8(p + j, g + j, f + j, v);
    };
    const int j = blend_pairs(p1, p2, run, sums, out1, out2, n, g1, f1, g2, f2);
    blend_run_row_pair_scalar(p1, p2, g, f, sums, out1, out2, j, n, g1, f1, g2, f2);
}

// Eight int16 samples as four pairs of doubles, in order.
inline void widen8(const int16_t* p, __m128d d[4]) {
    const __m128i v = load8(p);
    const __m128i lo = low_int32(v), hi = high_int32(v);
    d[0] = low_pd(lo);
    d[1] = high_pd(lo);
    d[2] = low_pd(hi);
    d[3] = high_pd(hi);
}

void widen_row_sse2(const int16_t* p, double* kept, int n) {
    int j = 0;
    for (; j + 8 <= n; j += 8) {
        __m128d d[4];
        widen8(p + j, d);
        for (int k = 0; k < 4; k++) _mm_storeu_pd(kept + j + 2 * k, d[k]);
    }
    widen_row_scalar(p, kept, j, n);
}

void blend_kept_row_sse2(const int16_t* p, double* kept, int16_t* out, int n, double ga,
                         double fb) {
    const __m128d vg = _mm_set1_pd(ga), vf = _mm_set1_pd(fb);
    int j = 0;
    for (; j + 8 <= n; j += 8) {
        __m128d up[4], s[4];
        for (int k = 0; k < 4; k++) up[k] = _mm_loadu_pd(kept + j + 2 * k);
        widen8(p + j, s);
        for (int k = 0; k < 4; k++) _mm_storeu_pd(kept + j + 2 * k, s[k]);
        store8(out + j, blend8_sums(up, s, vg, vf));
    }
    blend_kept_row_scalar(p, kept, out, j, n, ga, fb);
}

void blend_kept_row_pair_sse2(const int16_t* p1, const int16_t* p2, double* kept, int16_t* out1,
                              int16_t* out2, int n, double g1, double f1, double g2, double f2) {
    const auto widen = [](const int16_t* p, int j, __m128d v[4]) { widen8(p + j, v); };
    const int j = blend_pairs(p1, p2, widen, kept, out1, out2, n, g1, f1, g2, f2);
    blend_kept_row_pair_scalar(p1, p2, kept, out1, out2, j, n, g1, f1, g2, f2);
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
    p.blend_run = blend_run_sse2;
    p.blend_run_row_pair = blend_run_row_pair_sse2;
    p.widen_row = widen_row_sse2;
    p.blend_kept_row = blend_kept_row_sse2;
    p.blend_kept_row_pair = blend_kept_row_pair_sse2;
    p.blend_sums = blend_sums_sse2;
    return true;
}

#else

bool resample_fill_sse2(resample_primitives&) { return false; }

#endif

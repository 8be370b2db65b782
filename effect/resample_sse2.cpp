// The inner loops in SSE2, two doubles at a time: the baseline of both the
// 64-bit and the 32-bit build. Each lane does the scalar operations in order.
#include "effect/resample_primitives.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>

namespace {

// Four int16 of v (low or high half) sign-extended to int32.
inline __m128i low_int32(__m128i v) { return _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16); }
inline __m128i high_int32(__m128i v) { return _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16); }

inline __m128d low_pd(__m128i q) { return _mm_cvtepi32_pd(q); }
inline __m128d high_pd(__m128i q) {
    return _mm_cvtepi32_pd(_mm_shuffle_epi32(q, _MM_SHUFFLE(3, 2, 3, 2)));
}

// trunc(a * ga + b * fb) for two lanes, as two int32 in the low half.
inline __m128i blend2(__m128d a, __m128d b, __m128d ga, __m128d fb) {
    return _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(a, ga), _mm_mul_pd(b, fb)));
}

// Four samples' blends from two int32 quads.
inline __m128i blend4(__m128i a, __m128i b, __m128d ga, __m128d fb) {
    return _mm_unpacklo_epi64(blend2(low_pd(a), low_pd(b), ga, fb),
                              blend2(high_pd(a), high_pd(b), ga, fb));
}

void blend_rows_sse2(const int16_t* a, const int16_t* b, int16_t* out, int n, double ga,
                     double fb) {
    const __m128d vg = _mm_set1_pd(ga);
    const __m128d vf = _mm_set1_pd(fb);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        const __m128i lo = blend4(low_int32(va), low_int32(vb), vg, vf);
        const __m128i hi = blend4(high_int32(va), high_int32(vb), vg, vf);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(lo, hi));
    }
    blend_scalar(a + i, b + i, out + i, n - i, ga, fb);
}

void widen_sse2(const int16_t* s, double* d, int n) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i lo = low_int32(v);
        const __m128i hi = high_int32(v);
        _mm_storeu_pd(d + i, low_pd(lo));
        _mm_storeu_pd(d + i + 2, high_pd(lo));
        _mm_storeu_pd(d + i + 4, low_pd(hi));
        _mm_storeu_pd(d + i + 6, high_pd(hi));
    }
    widen_scalar(s + i, d + i, n - i);
}

// Per column: (y, cb) in one vector, (cr, next) in another; the second store
// spills into the next column's first sample, which that column then writes.
void blend_columns_sse2(const double* d, const int* at, const double* gx, const double* fx,
                        double* sums, int n) {
    for (int i = 0; i < n; i++) {
        const double* p = d + at[i];
        const __m128d g = _mm_set1_pd(gx[i]);
        const __m128d f = _mm_set1_pd(fx[i]);
        _mm_storeu_pd(sums + 3 * i,
                      _mm_add_pd(_mm_mul_pd(_mm_loadu_pd(p), g), _mm_mul_pd(_mm_loadu_pd(p + 3), f)));
        _mm_storeu_pd(sums + 3 * i + 2, _mm_add_pd(_mm_mul_pd(_mm_loadu_pd(p + 2), g),
                                                   _mm_mul_pd(_mm_loadu_pd(p + 5), f)));
    }
}

void blend_sums_sse2(const double* a, const double* b, int16_t* out, int n, double ga,
                     double fb) {
    const __m128d vg = _mm_set1_pd(ga);
    const __m128d vf = _mm_set1_pd(fb);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i q0 = _mm_unpacklo_epi64(
            blend2(_mm_loadu_pd(a + i), _mm_loadu_pd(b + i), vg, vf),
            blend2(_mm_loadu_pd(a + i + 2), _mm_loadu_pd(b + i + 2), vg, vf));
        const __m128i q1 = _mm_unpacklo_epi64(
            blend2(_mm_loadu_pd(a + i + 4), _mm_loadu_pd(b + i + 4), vg, vf),
            blend2(_mm_loadu_pd(a + i + 6), _mm_loadu_pd(b + i + 6), vg, vf));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(q0, q1));
    }
    blend_scalar(a + i, b + i, out + i, n - i, ga, fb);
}

const resample_primitives sse2_set = {blend_rows_sse2, widen_sse2, blend_columns_sse2,
                                      blend_sums_sse2, nullptr, nullptr};

}  // namespace

const resample_primitives* resample_primitives_sse2() { return &sse2_set; }

#else

const resample_primitives* resample_primitives_sse2() { return nullptr; }

#endif

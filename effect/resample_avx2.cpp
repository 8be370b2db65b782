// The inner loops in AVX2, four doubles at a time. Built with -mavx2 for this
// file only (never FMA: every product is rounded before its sum), and used
// only where cpu_features() finds AVX2 and a system that saves its registers.
// Nothing here is shared with the other files' code: the helpers are internal
// so that no AVX2 instruction reaches a path taken on an older processor.
#include "effect/resample_primitives.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace {

// trunc(a * ga + b * fb) for four lanes, as four int32.
inline __m128i blend4(__m256d a, __m256d b, __m256d ga, __m256d fb) {
    return _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(a, ga), _mm256_mul_pd(b, fb)));
}

// Eight samples' blends (two quads of each row), packed to int16 and stored.
inline void store_blend8(int16_t* out, __m256d a0, __m256d a1, __m256d b0, __m256d b1,
                         __m256d ga, __m256d fb) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_packs_epi32(blend4(a0, b0, ga, fb), blend4(a1, b1, ga, fb)));
}

// Four int16 samples as doubles, exactly, without the conversion unit: the
// sign-extended sample added to the bits of 1.5 * 2^52 is the double
// 1.5 * 2^52 + x (|x| < 2^51 keeps the exponent), and subtracting 1.5 * 2^52
// leaves x (0 gives +0.0, as the conversion does).
inline __m256d widen4_int16(const int16_t* p) {
    const __m256i x = _mm256_cvtepi16_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
    const __m256i bits = _mm256_add_epi64(x, _mm256_set1_epi64x(0x4338000000000000LL));
    return _mm256_sub_pd(_mm256_castsi256_pd(bits), _mm256_set1_pd(6755399441055744.0));
}

// The horizontal blends of four samples of a run.
inline __m256d run4(const int16_t* p, const double* g, const double* f) {
    const __m256d top = _mm256_mul_pd(widen4_int16(p), _mm256_loadu_pd(g));
    const __m256d next = _mm256_mul_pd(widen4_int16(p + 3), _mm256_loadu_pd(f));
    return _mm256_add_pd(top, next);
}

void blend_run_avx2(const int16_t* p, const double* g, const double* f, double* sums, int n) {
    int j = 0;
    for (; j + 4 <= n; j += 4) _mm256_storeu_pd(sums + j, run4(p + j, g + j, f + j));
    blend_run_scalar(p, g, f, sums, j, n);
}

// blend_pairs_scalar eight samples at a time, from form(p, j): the four
// values of row p at j. Returns where it stopped (fewer than eight left).
template <typename Form>
inline int blend_pairs(const int16_t* p1, const int16_t* p2, Form form, double* held,
                       int16_t* out1, int16_t* out2, int n, double g1, double f1, double g2,
                       double f2) {
    const __m256d vg1 = _mm256_set1_pd(g1), vf1 = _mm256_set1_pd(f1);
    const __m256d vg2 = _mm256_set1_pd(g2), vf2 = _mm256_set1_pd(f2);
    int j = 0;
    for (; j + 8 <= n; j += 8) {
        const __m256d up0 = _mm256_loadu_pd(held + j), up1 = _mm256_loadu_pd(held + j + 4);
        const __m256d s0 = form(p1, j), s1 = form(p1, j + 4);
        const __m256d t0 = form(p2, j), t1 = form(p2, j + 4);
        _mm256_storeu_pd(held + j, t0);
        _mm256_storeu_pd(held + j + 4, t1);
        store_blend8(out1 + j, up0, up1, s0, s1, vg1, vf1);
        store_blend8(out2 + j, s0, s1, t0, t1, vg2, vf2);
    }
    return j;
}

void blend_run_row_pair_avx2(const int16_t* p1, const int16_t* p2, const double* g,
                             const double* f, double* sums, int16_t* out1, int16_t* out2, int n,
                             double g1, double f1, double g2, double f2) {
    const auto run = [g, f](const int16_t* p, int j) { return run4(p + j, g + j, f + j); };
    const int j = blend_pairs(p1, p2, run, sums, out1, out2, n, g1, f1, g2, f2);
    blend_run_row_pair_scalar(p1, p2, g, f, sums, out1, out2, j, n, g1, f1, g2, f2);
}


void blend_kept_row_avx2(const int16_t* p, double* kept, int16_t* out, int n, double ga,
                         double fb) {
    const __m256d vg = _mm256_set1_pd(ga), vf = _mm256_set1_pd(fb);
    int j = 0;
    for (; j + 8 <= n; j += 8) {
        const __m256d up0 = _mm256_loadu_pd(kept + j), up1 = _mm256_loadu_pd(kept + j + 4);
        const __m256d s0 = widen4_int16(p + j), s1 = widen4_int16(p + j + 4);
        _mm256_storeu_pd(kept + j, s0);
        _mm256_storeu_pd(kept + j + 4, s1);
        store_blend8(out + j, up0, up1, s0, s1, vg, vf);
    }
    blend_kept_row_scalar(p, kept, out, j, n, ga, fb);
}

void blend_kept_row_pair_avx2(const int16_t* p1, const int16_t* p2, double* kept, int16_t* out1,
                              int16_t* out2, int n, double g1, double f1, double g2, double f2) {
    const auto widen = [](const int16_t* p, int j) { return widen4_int16(p + j); };
    const int j = blend_pairs(p1, p2, widen, kept, out1, out2, n, g1, f1, g2, f2);
    blend_kept_row_pair_scalar(p1, p2, kept, out1, out2, j, n, g1, f1, g2, f2);
}

void blend_sums_avx2(const double* a, const double* b, int16_t* out, int n, double ga,
                     double fb) {
    const __m256d vg = _mm256_set1_pd(ga);
    const __m256d vf = _mm256_set1_pd(fb);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        store_blend8(out + i, _mm256_loadu_pd(a + i), _mm256_loadu_pd(a + i + 4),
                     _mm256_loadu_pd(b + i), _mm256_loadu_pd(b + i + 4), vg, vf);
    }
    blend_scalar(a + i, b + i, out + i, n - i, ga, fb);
}

}  // namespace

// widen_row stays with sse2's: four widened samples a store are no faster
// than two (pulvax_primitive_bench: 398 against 410 ns for 1536 samples, within
// the spread of the runs).
bool resample_fill_avx2(resample_primitives& p) {
    p.blend_run = blend_run_avx2;
    p.blend_run_row_pair = blend_run_row_pair_avx2;
    p.blend_kept_row = blend_kept_row_avx2;
    p.blend_kept_row_pair = blend_kept_row_pair_avx2;
    p.blend_sums = blend_sums_avx2;
    return true;
}

#else

bool resample_fill_avx2(resample_primitives&) { return false; }

#endif

// The inner loops of the resampling pass, as one record of function pointers.
// Samples are handled as a flat array of int16 (three per pixel: y, cb, cr),
// since every component is blended on its own the same way. Every function
// performs, per sample, exactly the double operations of sample_bilinear in
// the same order (products, then their sum, truncated toward zero), so each
// set gives the same bits as the reference.
//
// The record is filled with the portable loops first; each instruction set's
// fill function then overwrites only the slots it does faster (as
// bench/primitive_bench.cpp measures them), so every slot always holds a
// function, and a slot a set leaves alone keeps the one of the set below.
#pragma once

#include <stdint.h>

struct resample_primitives {
    // The horizontal blend of a run of columns whose source columns rise by
    // one from column to column, straight from the source row's int16
    // samples p, with the weights given per sample (gx[3i + k] is the run's
    // column i's 1 - fx): sums[j] = p[j] * gx[j] + p[3 + j] * fx[j] for
    // j < n. Reads only p[0] .. p[n + 2].
    void (*blend_run)(const int16_t* p, const double* gx, const double* fx, double* sums, int n);
    // Two output rows in one pass, from the row above's horizontal blends in
    // sums and the same run of two source rows p1 and p2 (the next one down):
    // s1 and s2 their horizontal blends, out1[j] = trunc(sums[j] * g1 + s1[j]
    // * f1), out2[j] = trunc(s1[j] * g2 + s2[j] * f2), and s2 left in sums.
    void (*blend_run_row_pair)(const int16_t* p1, const int16_t* p2, const double* gx,
                               const double* fx, double* sums, int16_t* out1, int16_t* out2,
                               int n, double g1, double f1, double g2, double f2);
    // kept[i] = p[i] as double, for n samples: a source row held for the
    // vertical blends of the rows below it.
    void (*widen_row)(const int16_t* p, double* kept, int n);
    // A vertical blend from the held row kept and the source row p below it
    // (phases 1, 3 and 4): out[i] = trunc(kept[i] * ga + p[i] * fb), with p's
    // samples then held in kept.
    void (*blend_kept_row)(const int16_t* p, double* kept, int16_t* out, int n, double ga,
                           double fb);
    // Two output rows in one pass from the held row and the next two source
    // rows p1 and p2: out1 from kept and p1, out2 from p1 and p2, and p2 held.
    void (*blend_kept_row_pair)(const int16_t* p1, const int16_t* p2, double* kept,
                                int16_t* out1, int16_t* out2, int n, double g1, double f1,
                                double g2, double f2);
    // out[i] = trunc(a[i] * ga + b[i] * fb), for n samples: the vertical blend
    // of two horizontally blended rows.
    void (*blend_sums)(const double* a, const double* b, int16_t* out, int n, double ga,
                       double fb);
};

// Each fills the record with its set's loops, over what is there; false (the
// record unchanged) where the set is not built into this program.
bool resample_fill_plain(resample_primitives& p);
bool resample_fill_sse2(resample_primitives& p);
bool resample_fill_avx2(resample_primitives& p);
bool resample_fill_avx512(resample_primitives& p);

// Scalar forms, for the portable set and the ends of the vector loops. Static
// so that each instruction set's file keeps its own copy compiled with its own
// flags.
static inline int16_t blend_sample(double a, double b, double ga, double fb) {
    return static_cast<int16_t>(static_cast<int>(a * ga + b * fb));
}

// out[i] = trunc(a[i] * ga + b[i] * fb) over n samples of int16 or double.
template <typename T>
static inline void blend_scalar(const T* a, const T* b, int16_t* out, int n, double ga,
                                double fb) {
    for (int i = 0; i < n; i++) out[i] = blend_sample(a[i], b[i], ga, fb);
}

// The horizontal blend of sample j of a run.
static inline double run_sample(const int16_t* p, const double* gx, const double* fx, int j) {
    const double top = static_cast<double>(p[j]) * gx[j];
    const double next = static_cast<double>(p[3 + j]) * fx[j];
    return top + next;
}

// blend_run's samples j0 .. n - 1, one at a time.
static inline void blend_run_scalar(const int16_t* p, const double* gx, const double* fx,
                                    double* sums, int j0, int n) {
    for (int j = j0; j < n; j++) sums[j] = run_sample(p, gx, fx, j);
}

// Two output rows, samples j0 .. n - 1 one at a time, from the row above's
// values in held and two source rows p1 and p2 below it, whose value at j
// form(p, j) gives: out1 from held and p1, out2 from p1 and p2, and p2's
// values left in held. The pair passes of both the vertical and the
// separable pass have this shape; they differ only in form.
template <typename Form>
static inline void blend_pairs_scalar(const int16_t* p1, const int16_t* p2, Form form,
                                      double* held, int16_t* out1, int16_t* out2, int j0, int n,
                                      double g1, double f1, double g2, double f2) {
    for (int j = j0; j < n; j++) {
        const double up = held[j];
        const double s1 = form(p1, j);
        const double s2 = form(p2, j);
        held[j] = s2;
        out1[j] = blend_sample(up, s1, g1, f1);
        out2[j] = blend_sample(s1, s2, g2, f2);
    }
}

// blend_kept_row_pair's samples j0 .. n - 1, one at a time.
static inline void blend_kept_row_pair_scalar(const int16_t* p1, const int16_t* p2,
                                              double* kept, int16_t* out1, int16_t* out2,
                                              int j0, int n, double g1, double f1, double g2,
                                              double f2) {
    const auto widen = [](const int16_t* p, int j) { return static_cast<double>(p[j]); };
    blend_pairs_scalar(p1, p2, widen, kept, out1, out2, j0, n, g1, f1, g2, f2);
}

// blend_kept_row's samples j0 .. n - 1, one at a time.
static inline void blend_kept_row_scalar(const int16_t* p, double* kept, int16_t* out, int j0,
                                         int n, double ga, double fb) {
    for (int j = j0; j < n; j++) {
        const double up = kept[j];
        const double s = p[j];
        kept[j] = s;
        out[j] = blend_sample(up, s, ga, fb);
    }
}

// widen_row's samples j0 .. n - 1.
static inline void widen_row_scalar(const int16_t* p, double* kept, int j0, int n) {
    for (int j = j0; j < n; j++) kept[j] = p[j];
}

// blend_run_row_pair's samples j0 .. n - 1, one at a time.
static inline void blend_run_row_pair_scalar(const int16_t* p1, const int16_t* p2,
                                             const double* gx, const double* fx, double* sums,
                                             int16_t* out1, int16_t* out2, int j0, int n,
                                             double g1, double f1, double g2, double f2) {
    const auto run = [gx, fx](const int16_t* p, int j) { return run_sample(p, gx, fx, j); };
    blend_pairs_scalar(p1, p2, run, sums, out1, out2, j0, n, g1, f1, g2, f2);
}

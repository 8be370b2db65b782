// The inner loops of the fast resampling pass, one set per instruction set.
// Samples are handled as a flat array of int16 (three per pixel: y, cb, cr),
// since every component is blended on its own the same way. Every function
// performs, per sample, exactly the double operations of sample_bilinear in
// the same order (products, then their sum, truncated toward zero), so each
// set gives the same bits as the reference.
#pragma once

#include <stdint.h>

// Output columns first .. first + count - 1 of a strip whose source columns
// x0 rise by one from column to column, so their samples lie in a row from
// sample source = 3 * x0 on. A clamped run is one column at the picture's last
// column, where x1 is x0 again.
struct column_run {
    int first;
    int count;
    int source;
    int clamped;
};

struct resample_primitives {
    // out[i] = trunc(a[i] * ga + b[i] * fb), for n samples: a vertical blend
    // of two source rows (rows 1, 3 and 4, where the horizontal blend of the
    // reference leaves each sample as it is).
    void (*blend_rows)(const int16_t* a, const int16_t* b, int16_t* out, int n, double ga,
                       double fb);
    // d[i] = s[i] as double, for n samples.
    void (*widen)(const int16_t* s, double* d, int n);
    // Horizontal blend of one widened source row for n output columns:
    // for column i and component k, sums[3i + k] = d[at[i] + k] * gx[i] +
    // d[at[i] + 3 + k] * fx[i]. May write sums[3n] and read d[at[i] + 6].
    void (*blend_columns)(const double* d, const int* at, const double* gx, const double* fx,
                          double* sums, int n);
    // out[i] = trunc(a[i] * ga + b[i] * fb), for n samples: the vertical blend
    // of two horizontally blended rows.
    void (*blend_sums)(const double* a, const double* b, int16_t* out, int n, double ga,
                       double fb);
    // Two blend_rows calls that share a source row: out1 from rows a and b,
    // out2 from rows b and c, each sample of b converted once. Null where a
    // set has nothing faster than two blend_rows calls.
    void (*blend_row_pair)(const int16_t* a, const int16_t* b, const int16_t* c, int16_t* out1,
                           int16_t* out2, int n, double g1, double f1, double g2, double f2);
    // blend_columns straight from a source row of int16 samples, over runs
    // that are not clamped, with the weights given per sample (gx3[3i + k] =
    // gx[i]): for j < 3 * count, sums[3 * first + j] = row[source + j] *
    // gx3[3 * first + j] + row[source + 3 + j] * fx3[3 * first + j]. Reads
    // only row[source] .. row[source + 3 * count + 2] and writes only the
    // run's sums. Null where a set has nothing faster than widen and
    // blend_columns.
    void (*blend_runs16)(const int16_t* row, const column_run* runs, int run_count,
                         const double* gx3, const double* fx3, double* sums);
};

// Null where the instruction set is not built into this program.
const resample_primitives* resample_primitives_scalar();
const resample_primitives* resample_primitives_sse2();
const resample_primitives* resample_primitives_avx2();

// Scalar forms, for the ends of the vector loops. Static so that each
// instruction set's file keeps its own copy compiled with its own flags.
static inline int16_t blend_sample(double a, double b, double ga, double fb) {
    return static_cast<int16_t>(static_cast<int>(a * ga + b * fb));
}

// out[i] = trunc(a[i] * ga + b[i] * fb) over n samples of int16 or double.
template <typename T>
static inline void blend_scalar(const T* a, const T* b, int16_t* out, int n, double ga,
                                double fb) {
    for (int i = 0; i < n; i++) out[i] = blend_sample(a[i], b[i], ga, fb);
}

static inline void widen_scalar(const int16_t* s, double* d, int n) {
    for (int i = 0; i < n; i++) d[i] = s[i];
}

// The portable set: plain loops, the same operations one sample at a time.
// It fills every slot, so the record is complete before any instruction set
// overwrites what it does faster.
#include "effect/resample_primitives.h"

static void blend_rows_plain(const int16_t* a, const int16_t* b, int16_t* out, int n, double ga,
                             double fb) {
    blend_scalar(a, b, out, n, ga, fb);
}

static void blend_row_pair_plain(const int16_t* a, const int16_t* b, const int16_t* c,
                                 int16_t* out1, int16_t* out2, int n, double g1, double f1,
                                 double g2, double f2) {
    blend_scalar(a, b, out1, n, g1, f1);
    blend_scalar(b, c, out2, n, g2, f2);
}

static void blend_run_plain(const int16_t* p, const double* gx, const double* fx, double* sums,
                            int n) {
    blend_run_scalar(p, gx, fx, sums, 0, n);
}

static void blend_run_row_pair_plain(const int16_t* p1, const int16_t* p2, const double* gx,
                                     const double* fx, double* sums, int16_t* out1,
                                     int16_t* out2, int n, double g1, double f1, double g2,
                                     double f2) {
    blend_run_row_pair_scalar(p1, p2, gx, fx, sums, out1, out2, 0, n, g1, f1, g2, f2);
}

static void blend_sums_plain(const double* a, const double* b, int16_t* out, int n, double ga,
                             double fb) {
    blend_scalar(a, b, out, n, ga, fb);
}

bool resample_fill_plain(resample_primitives& p) {
    p.blend_rows = blend_rows_plain;
    p.blend_row_pair = blend_row_pair_plain;
    p.blend_run = blend_run_plain;
    p.blend_run_row_pair = blend_run_row_pair_plain;
    p.blend_sums = blend_sums_plain;
    return true;
}

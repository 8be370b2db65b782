// The portable set: plain loops, the same operations one sample at a time.
// It fills every slot, so the record is complete before any instruction set
// overwrites what it does faster.
#include "effect/resample_primitives.h"

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

static void widen_row_plain(const int16_t* p, double* kept, int n) {
    widen_row_scalar(p, kept, 0, n);
}

static void blend_kept_row_plain(const int16_t* p, double* kept, int16_t* out, int n, double ga,
                                 double fb) {
    blend_kept_row_scalar(p, kept, out, 0, n, ga, fb);
}

static void blend_kept_row_pair_plain(const int16_t* p1, const int16_t* p2, double* kept,
                                      int16_t* out1, int16_t* out2, int n, double g1, double f1,
                                      double g2, double f2) {
    blend_kept_row_pair_scalar(p1, p2, kept, out1, out2, 0, n, g1, f1, g2, f2);
}

static void blend_sums_plain(const double* a, const double* b, int16_t* out, int n, double ga,
                             double fb) {
    blend_scalar(a, b, out, n, ga, fb);
}

bool resample_fill_plain(resample_primitives& p) {
    p.blend_run = blend_run_plain;
    p.blend_run_row_pair = blend_run_row_pair_plain;
    p.widen_row = widen_row_plain;
    p.blend_kept_row = blend_kept_row_plain;
    p.blend_kept_row_pair = blend_kept_row_pair_plain;
    p.blend_sums = blend_sums_plain;
    return true;
}

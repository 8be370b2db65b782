// The fast pass splits the sampler's work by what it depends on.
//
// x_factor 1.0 (phases 1, 3 and 4): src_x is x exactly, so fx is +0.0 and the
// reference's horizontal blend P00 * 1.0 + P01 * 0.0 is P00 itself (a signed
// zero from P01 * 0.0 cannot change a sum with P00, and 0 + -0 is +0). Each
// output row is then trunc(row y0 * gy + row y1 * fy) over its samples. Going
// down a strip of samples, the source row an output row ends at is held as
// doubles and is where the next output row starts (almost every row, as the
// factors lie near 1), so each source sample is converted once rather than
// once per output row that reads it; output rows go in pairs, one pass per
// pair. The conversion is a good part of the work: the rest is two products,
// a sum and the truncation, all on the same floating-point ports.
//
// Any other x_factor (phase 2): src_x, x0 and fx depend only on the column and
// are formed once per column strip; src_y, y0 and fy only on the row. A source
// row's horizontal blend over a strip is formed once and kept while output
// rows still need it, so most source rows serve two output rows. Output rows
// go in pairs too: from the kept blends of the first's top row, one pass forms
// the blends of the next two source rows and both output rows, and keeps the
// last source row's blends in place of the first's. Columns whose
// sources follow one another form runs blended straight from the int16 row;
// columns at the picture's last column (x1 = x0) are blended here.
//
// The strip's scratch is static storage of this file (about 220 KiB): nothing
// is allocated per frame and the caller's stack stays small. The filter runs
// one frame at a time, so one scratch serves every pass.
#include "effect/resample_fast.h"

#include <math.h>
#include <stddef.h>


static_assert(sizeof(PIXEL_YC) == 3 * sizeof(int16_t), "PIXEL_YC is three int16 samples");

// Output columns per strip of the separable pass, and samples per strip of
// the vertical pass (whose held row, 12 KiB, stays in the first-level cache).
enum { strip_columns = 2048, vertical_strip = 1536 };

namespace {

// Output columns first .. first + count - 1 of a strip whose source columns
// x0 rise by one from column to column and all have x1 = x0 + 1, so their
// samples lie in a row from sample source = 3 * x0 to source + 3 * count + 2.
struct column_run {
    int first;
    int count;
    int source;
};

struct row_weights {
    int y0, y1;
    double gy, fy;
};

struct strip_scratch {
    // Per sample of the strip: the column's 1 - fx and fx.
    double gx3[3 * strip_columns];
    double fx3[3 * strip_columns];
    // The runs of columns with consecutive sources, and the columns at the
    // picture's last column.
    column_run runs[strip_columns];
    int run_count;
    int clamped[strip_columns];
    int clamped_count;
    // Horizontal blends of two source rows, and their row numbers (-1: none).
    double sums[2][3 * strip_columns];
    int sum_row[2];
};

strip_scratch scratch;
static_assert(vertical_strip <= 3 * strip_columns, "the vertical pass holds its row in sums[0]");

}  // namespace

// A sampling coordinate's source index and the fraction above it, by floor():
// sample_bilinear splits off the truncated part and steps down below zero,
// which gives the same index and, rounded once either way, the same fraction
// (a tiny negative coordinate: index -1, fraction exactly 1.0). Written apart
// from the sampler so that the comparison with it checks both.
static inline void floor_split(double c, int* whole, double* fraction) {
    const double below = floor(c);
    *whole = static_cast<int>(below);
    *fraction = c - below;
}

// An index held to 0 .. last.
static inline int within(int v, int last) { return v < 0 ? 0 : (v > last ? last : v); }

static row_weights weights_for_row(const resample_job& job, int y) {
    const double src_y = static_cast<double>(y - job.ref_y) * job.y_factor + job.ref_y;
    int yi;
    row_weights r;
    floor_split(src_y, &yi, &r.fy);
    r.y0 = within(yi, job.h - 1);
    r.y1 = within(r.y0 + 1, job.h - 1);
    r.gy = 1.0 - r.fy;
    return r;
}

static const int16_t* source_row(const resample_job& job, int y) {
    return reinterpret_cast<const int16_t*>(job.src + static_cast<ptrdiff_t>(y) * job.pitch);
}

static int16_t* output_row(const resample_job& job, int y) {
    return reinterpret_cast<int16_t*>(job.dst + static_cast<ptrdiff_t>(y) * job.pitch);
}

static void resample_vertical(const resample_primitives& k, const resample_job& job) {
    double* kept = scratch.sums[0];
    const int n_all = 3 * job.w;
    for (int first = 0; first < n_all; first += vertical_strip) {
        const int n = n_all - first < vertical_strip ? n_all - first : vertical_strip;
        int kept_row = -1;
        int y = 0;
        while (y < job.h) {
            const row_weights r = weights_for_row(job, y);
            if (kept_row != r.y0) k.widen_row(source_row(job, r.y0) + first, kept, n);
            if (y + 1 < job.h) {
                const row_weights next = weights_for_row(job, y + 1);
                if (next.y0 == r.y1) {
                    k.blend_kept_row_pair(source_row(job, r.y1) + first,
                                          source_row(job, next.y1) + first, kept,
                                          output_row(job, y) + first,
                                          output_row(job, y + 1) + first, n, r.gy, r.fy,
                                          next.gy, next.fy);
                    kept_row = next.y1;
                    y += 2;
                    continue;
                }
            }
            k.blend_kept_row(source_row(job, r.y1) + first, kept, output_row(job, y) + first, n,
                             r.gy, r.fy);
            kept_row = r.y1;
            y++;
        }
    }
}

// Fills the column tables for output columns first .. first + n - 1.
static void build_strip(const resample_job& job, int first, int n, strip_scratch& s) {
    s.run_count = 0;
    s.clamped_count = 0;
    for (int i = 0; i < n; i++) {
        const int x = first + i;
        const double src_x = static_cast<double>(x - job.ref_x) * job.x_factor + job.ref_x;
        int xi;
        double fx;
        floor_split(src_x, &xi, &fx);
        const int x0 = within(xi, job.w - 1);
        const double gx = 1.0 - fx;
        for (int c = 0; c < 3; c++) {
            s.gx3[3 * i + c] = gx;
            s.fx3[3 * i + c] = fx;
        }
        if (x0 == job.w - 1) {
            s.clamped[s.clamped_count++] = i;
            continue;
        }
        column_run* last = s.run_count ? &s.runs[s.run_count - 1] : nullptr;
        if (last && last->first + last->count == i && 3 * x0 == last->source + 3 * last->count) {
            last->count++;
        } else {
            column_run& r = s.runs[s.run_count++];
            r.first = i;
            r.count = 1;
            r.source = 3 * x0;
        }
    }
}

// The horizontal blend of a sample at the picture's last column, where both
// neighbours are that column.
static double last_column_sum(double v, const strip_scratch& s, int at) {
    return v * s.gx3[at] + v * s.fx3[at];
}

// The horizontal blend of source row y over the strip, into sums slot.
static void blend_source_row(const resample_primitives& k, const resample_job& job, int y,
                             strip_scratch& s, int slot) {
    const int16_t* row = source_row(job, y);
    double* sums = s.sums[slot];
    for (int r = 0; r < s.run_count; r++) {
        const int at = 3 * s.runs[r].first;
        k.blend_run(row + s.runs[r].source, s.gx3 + at, s.fx3 + at, sums + at,
                    3 * s.runs[r].count);
    }
    const int16_t* last = row + 3 * (job.w - 1);
    for (int c = 0; c < s.clamped_count; c++) {
        const int at = 3 * s.clamped[c];
        for (int j = 0; j < 3; j++) sums[at + j] = last_column_sum(last[j], s, at + j);
    }
    s.sum_row[slot] = y;
}

// Two output rows (the strip's part) from the sums in slot, which hold row
// r1.y0, where the second row (weights r2) starts at the source row the first
// ends at: the horizontal blends of rows r1.y1 and r2.y1 and both vertical
// blends in one pass over the strip's weights and sums, which end holding
// row r2.y1 (instead of a pass per source row into the other slot and one per
// output row over both).
static void blend_next_rows(const resample_primitives& k, const resample_job& job,
                            const row_weights& r1, const row_weights& r2, strip_scratch& s,
                            int slot, int16_t* out1, int16_t* out2) {
    const int16_t* row1 = source_row(job, r1.y1);
    const int16_t* row2 = source_row(job, r2.y1);
    double* sums = s.sums[slot];
    for (int i = 0; i < s.run_count; i++) {
        const int at = 3 * s.runs[i].first;
        const int from = s.runs[i].source;
        k.blend_run_row_pair(row1 + from, row2 + from, s.gx3 + at, s.fx3 + at, sums + at,
                             out1 + at, out2 + at, 3 * s.runs[i].count, r1.gy, r1.fy, r2.gy,
                             r2.fy);
    }
    const int16_t* last1 = row1 + 3 * (job.w - 1);
    const int16_t* last2 = row2 + 3 * (job.w - 1);
    for (int c = 0; c < s.clamped_count; c++) {
        const int at = 3 * s.clamped[c];
        for (int j = 0; j < 3; j++) {
            const double above = sums[at + j];
            const double s1 = last_column_sum(last1[j], s, at + j);
            const double s2 = last_column_sum(last2[j], s, at + j);
            sums[at + j] = s2;
            out1[at + j] = blend_sample(above, s1, r1.gy, r1.fy);
            out2[at + j] = blend_sample(s1, s2, r2.gy, r2.fy);
        }
    }
    s.sum_row[slot] = r2.y1;
}

static int slot_holding(const strip_scratch& s, int y) {
    return s.sum_row[0] == y ? 0 : s.sum_row[1] == y ? 1 : -1;
}

static void resample_separable(const resample_primitives& k, const resample_job& job) {
    strip_scratch& s = scratch;
    for (int first = 0; first < job.w; first += strip_columns) {
        const int n = job.w - first < strip_columns ? job.w - first : strip_columns;
        build_strip(job, first, n, s);
        s.sum_row[0] = s.sum_row[1] = -1;
        for (int y = 0; y < job.h; y++) {
            const row_weights r = weights_for_row(job, y);
            int16_t* out = output_row(job, y) + 3 * first;
            int top = slot_holding(s, r.y0);
            if (top >= 0 && r.y1 != r.y0 && slot_holding(s, r.y1) < 0 && y + 1 < job.h) {
                const row_weights next = weights_for_row(job, y + 1);
                if (next.y0 == r.y1 && next.y1 != next.y0) {
                    blend_next_rows(k, job, r, next, s, top, out,
                                    output_row(job, y + 1) + 3 * first);
                    y++;
                    continue;
                }
            }
            if (top < 0) {
                top = slot_holding(s, r.y1) == 0 ? 1 : 0;
                blend_source_row(k, job, r.y0, s, top);
            }
            int bottom = slot_holding(s, r.y1);
            if (bottom < 0) {
                bottom = 1 - top;
                blend_source_row(k, job, r.y1, s, bottom);
            }
            k.blend_sums(s.sums[top], s.sums[bottom], out, 3 * n, r.gy, r.fy);
        }
    }
}

void resample_fast(const resample_primitives& k, const resample_job& job) {
    if (job.w <= 0 || job.h <= 0) return;
    if (job.x_factor == 1.0)
        resample_vertical(k, job);
    else
        resample_separable(k, job);
}

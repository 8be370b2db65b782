// The fast pass splits the sampler's work by what it depends on.
//
// x_factor 1.0 (rows 1, 3 and 4): src_x is x exactly, so fx is +0.0 and the
// reference's horizontal blend P00 * 1.0 + P01 * 0.0 is P00 itself (a signed
// zero from P01 * 0.0 cannot change a sum with P00, and 0 + -0 is +0). Each
// output row is then trunc(row y0 * gy + row y1 * fy) over its samples.
//
// Any other x_factor (row 2): src_x, x0 and fx depend only on the column and
// are formed once per column strip; src_y, y0 and fy only on the row. A source
// row's horizontal blend over a strip is formed once and kept while output
// rows still need it, so most source rows serve two output rows.
//
// Row 2 works in strips of at most strip_columns output columns (one strip for
// pictures up to 2048 wide, so rows are read and written front to back), and
// its scratch is a fixed block on the stack (about 190 KB): nothing is
// allocated per frame. Rows 1, 3 and 4 need no scratch.
#include "effect/resample_fast.h"

#include <stddef.h>

#include "effect/sample_coordinate.h"

static_assert(sizeof(PIXEL_YC) == 3 * sizeof(int16_t), "PIXEL_YC is three int16 samples");

enum {
    strip_columns = 2048,
    strip_sources = strip_columns + 2,  // source columns one strip may span
};

namespace {

struct row_weights {
    int y0, y1;
    double gy, fy;
};

struct strip_scratch {
    int at[strip_columns];  // 3 * (x0 - first source column of the strip)
    double gx[strip_columns];
    double fx[strip_columns];
    // The strip's source columns of one row, widened; one more sample for the
    // blend's overreach.
    double sources[3 * strip_sources + 1];
    // The same weights per sample, and the runs of columns with consecutive
    // sources, for sets that blend whole runs.
    double gx3[3 * strip_columns];
    double fx3[3 * strip_columns];
    column_run runs[strip_columns];
    int run_count;
    // Horizontal blends of two source rows, and their row numbers (-1: none).
    double sums[2][3 * strip_columns + 1];
    int sum_row[2];
};

}  // namespace

static row_weights weights_for_row(const resample_job& job, int y) {
    const double src_y = static_cast<double>(y - job.ref_y) * job.y_factor + job.ref_y;
    int yi;
    row_weights r;
    split_coordinate(src_y, &yi, &r.fy);
    r.y0 = clamp_index(yi, job.h - 1);
    r.y1 = clamp_index(r.y0 + 1, job.h - 1);
    r.gy = 1.0 - r.fy;
    return r;
}

static const int16_t* source_row(const resample_job& job, int y) {
    return reinterpret_cast<const int16_t*>(job.src + static_cast<ptrdiff_t>(y) * job.pitch);
}

static int16_t* output_row(const resample_job& job, int y) {
    return reinterpret_cast<int16_t*>(job.dst + static_cast<ptrdiff_t>(y) * job.pitch);
}

static int column_x0(const resample_job& job, int x, double* fx) {
    const double src_x = static_cast<double>(x - job.ref_x) * job.x_factor + job.ref_x;
    int xi;
    split_coordinate(src_x, &xi, fx);
    return clamp_index(xi, job.w - 1);
}

// Fills the column tables for output columns first.. while their source
// columns x0 and x0 + 1 fit the scratch; returns the number of columns (>= 1)
// and the strip's first and last x0.
static int build_strip(const resample_job& job, int first, strip_scratch& s, int* lo, int* hi) {
    int n = 0;
    for (int x = first; x < job.w && n < strip_columns; x++) {
        double fx;
        const int x0 = column_x0(job, x, &fx);
        if (n == 0) {
            *lo = *hi = x0;
        } else {
            const int new_lo = x0 < *lo ? x0 : *lo;
            const int new_hi = x0 > *hi ? x0 : *hi;
            if (new_hi - new_lo + 2 > strip_sources) break;
            *lo = new_lo;
            *hi = new_hi;
        }
        s.at[n] = x0;
        s.fx[n] = fx;
        s.gx[n] = 1.0 - fx;
        n++;
    }
    for (int i = 0; i < n; i++) s.at[i] = 3 * (s.at[i] - *lo);
    s.run_count = 0;
    for (int i = 0; i < n; i++) {
        for (int c = 0; c < 3; c++) {
            s.gx3[3 * i + c] = s.gx[i];
            s.fx3[3 * i + c] = s.fx[i];
        }
        const int x0 = *lo + s.at[i] / 3;
        const int clamped = x0 == job.w - 1;
        column_run* last = s.run_count ? &s.runs[s.run_count - 1] : nullptr;
        if (last && !clamped && !last->clamped && x0 == last->source / 3 + last->count) {
            last->count++;
        } else {
            column_run& r = s.runs[s.run_count++];
            r.first = i;
            r.count = 1;
            r.source = 3 * x0;
            r.clamped = clamped;
        }
    }
    return n;
}

// Output rows go in pairs where the second starts at the source row the first
// ends at (almost every row, as the factors lie near 1), so that shared row is
// converted once.
static void resample_vertical(const resample_primitives& k, const resample_job& job) {
    const int n = 3 * job.w;
    int y = 0;
    while (y < job.h) {
        const row_weights r = weights_for_row(job, y);
        if (k.blend_row_pair && y + 1 < job.h) {
            const row_weights next = weights_for_row(job, y + 1);
            if (next.y0 == r.y1) {
                k.blend_row_pair(source_row(job, r.y0), source_row(job, r.y1),
                                 source_row(job, next.y1), output_row(job, y),
                                 output_row(job, y + 1), n, r.gy, r.fy, next.gy, next.fy);
                y += 2;
                continue;
            }
        }
        k.blend_rows(source_row(job, r.y0), source_row(job, r.y1), output_row(job, y), n, r.gy,
                     r.fy);
        y++;
    }
}

// The horizontal blend of source row y over the strip, into sums slot.
static void blend_source_row(const resample_primitives& k, const resample_job& job, int y,
                             int lo, int hi, int n, strip_scratch& s, int slot) {
    if (k.blend_runs16) {
        const int16_t* row = source_row(job, y);
        double* sums = s.sums[slot];
        k.blend_runs16(row, s.runs, s.run_count, s.gx3, s.fx3, sums);
        // The last column blends with itself.
        for (int r = 0; r < s.run_count; r++) {
            const column_run& run = s.runs[r];
            if (!run.clamped) continue;
            const int i = run.first;
            for (int c = 0; c < 3; c++) {
                const double v = row[run.source + c];
                sums[3 * i + c] = v * s.gx[i] + v * s.fx[i];
            }
        }
        s.sum_row[slot] = y;
        return;
    }
    // x1 is x0 + 1 except in the last column, where it is x0 again: a copy of
    // the last column after it lets every column read x0 + 1.
    const int last = hi + 1 < job.w ? hi + 1 : job.w - 1;
    const int count = last - lo + 1;
    k.widen(source_row(job, y) + 3 * lo, s.sources, 3 * count);
    double* end = s.sources + 3 * count;
    if (last == hi) {
        end[0] = end[-3];
        end[1] = end[-2];
        end[2] = end[-1];
        end += 3;
    }
    end[0] = 0.0;
    k.blend_columns(s.sources, s.at, s.gx, s.fx, s.sums[slot], n);
    s.sum_row[slot] = y;
}

static int slot_holding(const strip_scratch& s, int y) {
    return s.sum_row[0] == y ? 0 : s.sum_row[1] == y ? 1 : -1;
}

static void resample_separable(const resample_primitives& k, const resample_job& job) {
    strip_scratch s;
    for (int first = 0; first < job.w;) {
        int lo = 0, hi = 0;
        const int n = build_strip(job, first, s, &lo, &hi);
        s.sum_row[0] = s.sum_row[1] = -1;
        for (int y = 0; y < job.h; y++) {
            const row_weights r = weights_for_row(job, y);
            int top = slot_holding(s, r.y0);
            if (top < 0) {
                top = slot_holding(s, r.y1) == 0 ? 1 : 0;
                blend_source_row(k, job, r.y0, lo, hi, n, s, top);
            }
            int bottom = slot_holding(s, r.y1);
            if (bottom < 0) {
                bottom = 1 - top;
                blend_source_row(k, job, r.y1, lo, hi, n, s, bottom);
            }
            k.blend_sums(s.sums[top], s.sums[bottom], output_row(job, y) + 3 * first, 3 * n,
                         r.gy, r.fy);
        }
        first += n;
    }
}

void resample_fast(const resample_primitives& k, const resample_job& job) {
    if (job.w <= 0 || job.h <= 0) return;
    if (job.x_factor == 1.0)
        resample_vertical(k, job);
    else
        resample_separable(k, job);
}

// The portable set: plain loops, the same operations one sample at a time.
static void blend_rows_plain(const int16_t* a, const int16_t* b, int16_t* out, int n, double ga,
                             double fb) {
    blend_scalar(a, b, out, n, ga, fb);
}

static void blend_columns_plain(const double* d, const int* at, const double* gx,
                                const double* fx, double* sums, int n) {
    for (int i = 0; i < n; i++) {
        const double* p = d + at[i];
        for (int c = 0; c < 3; c++) sums[3 * i + c] = p[c] * gx[i] + p[3 + c] * fx[i];
    }
}

static void blend_sums_plain(const double* a, const double* b, int16_t* out, int n, double ga,
                             double fb) {
    blend_scalar(a, b, out, n, ga, fb);
}

static const resample_primitives plain_set = {blend_rows_plain, widen_scalar,
                                              blend_columns_plain, blend_sums_plain, nullptr,
                                              nullptr};

const resample_primitives* resample_primitives_scalar() { return &plain_set; }

#include "effect/sample_bilinear.h"

// Floor of the coordinate, and the fraction above it (0 <= f <= 1; a tiny
// negative coordinate gives -1 and exactly 1.0).
static void split_coordinate(double c, int* whole, double* fraction) {
    int i = static_cast<int>(c);
    double f = c - i;
    if (f < 0) {
        i -= 1;
        f += 1.0;
    }
    *whole = i;
    *fraction = f;
}

static int clamp_index(int v, int hi) {
    if (v < 0) v = 0;
    if (v > hi) v = hi;
    return v;
}

static int16_t blend(int p00, int p01, int p10, int p11, double fx, double gx, double fy,
                     double gy) {
    const double top = p00 * gx + p01 * fx;
    const double bottom = p10 * gx + p11 * fx;
    const double value = top * gy + bottom * fy;
    return static_cast<int16_t>(static_cast<int>(value));
}

PIXEL_YC sample_bilinear(const PIXEL_YC* source, int w, int h, int stride, double src_x,
                         double src_y) {
    int xi, yi;
    double fx, fy;
    split_coordinate(src_x, &xi, &fx);
    split_coordinate(src_y, &yi, &fy);

    const int x0 = clamp_index(xi, w - 1);
    const int x1 = clamp_index(x0 + 1, w - 1);
    const int y0 = clamp_index(yi, h - 1);
    const int y1 = clamp_index(y0 + 1, h - 1);

    const PIXEL_YC& p00 = source[static_cast<ptrdiff_t>(y0) * stride + x0];
    const PIXEL_YC& p01 = source[static_cast<ptrdiff_t>(y0) * stride + x1];
    const PIXEL_YC& p10 = source[static_cast<ptrdiff_t>(y1) * stride + x0];
    const PIXEL_YC& p11 = source[static_cast<ptrdiff_t>(y1) * stride + x1];

    const double gx = 1.0 - fx;
    const double gy = 1.0 - fy;
    PIXEL_YC out;
    out.y = blend(p00.y, p01.y, p10.y, p11.y, fx, gx, fy, gy);
    out.cb = blend(p00.cb, p01.cb, p10.cb, p11.cb, fx, gx, fy, gy);
    out.cr = blend(p00.cr, p01.cr, p10.cr, p11.cr, fx, gx, fy, gy);
    return out;
}

// The integer and fractional parts of a sampling coordinate, and the clamping
// of neighbour indices to the picture: shared by sample_bilinear and the fast
// resampling kernels, which must split every coordinate the same way.
#pragma once

// Floor of the coordinate, and the fraction above it (0 <= f <= 1; a tiny
// negative coordinate gives -1 and exactly 1.0).
static inline void split_coordinate(double c, int* whole, double* fraction) {
    int i = static_cast<int>(c);
    double f = c - i;
    if (f < 0) {
        i -= 1;
        f += 1.0;
    }
    *whole = i;
    *fraction = f;
}

static inline int clamp_index(int v, int hi) {
    if (v < 0) v = 0;
    if (v > hi) v = hi;
    return v;
}

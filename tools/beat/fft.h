// A small radix-2 FFT for the onset analysis.
#pragma once

#include <vector>

struct fft_plan {
    int size = 0;                     // a power of two, at least 2
    std::vector<double> cos_table;    // cos(2 pi k / size), k < size / 2
    std::vector<double> sin_table;    // sin(2 pi k / size)
    std::vector<int> bit_reverse;     // index permutation
};

// Tables for transforms of size n (a power of two, 2 or more).
fft_plan make_fft_plan(int n);

// In-place forward transform, X[k] = sum x[j] exp(-2 pi i j k / n), of the
// n complex values (re[j], im[j]).
void fft_forward(const fft_plan& plan, double* re, double* im);

// Magnitudes |X[k]|, k = 0 .. n/2, of two real signals a and b (n values each)
// with one complex transform: a goes in as the real part, b as the imaginary
// part, and the two spectra are separated by their symmetry. re and im are
// work arrays of n values, overwritten.
void fft_two_real_magnitudes(const fft_plan& plan, const double* a, const double* b, double* re,
                             double* im, double* mag_a, double* mag_b);

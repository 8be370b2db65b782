#include "tools/beat/fft.h"

#include <math.h>

fft_plan make_fft_plan(int n) {
    fft_plan plan;
    plan.size = n;
    plan.cos_table.resize(n / 2);
    plan.sin_table.resize(n / 2);
    const double two_pi = 6.283185307179586476925286766559;
    for (int k = 0; k < n / 2; ++k) {
        plan.cos_table[k] = cos(two_pi * k / n);
        plan.sin_table[k] = sin(two_pi * k / n);
    }
    plan.bit_reverse.resize(n);
    int bits = 0;
    while ((1 << bits) < n) ++bits;
    for (int i = 0; i < n; ++i) {
        int r = 0;
        for (int b = 0; b < bits; ++b)
            if (i & (1 << b)) r |= 1 << (bits - 1 - b);
        plan.bit_reverse[i] = r;
    }
    return plan;
}

void fft_forward(const fft_plan& plan, double* re, double* im) {
    const int n = plan.size;
    for (int i = 0; i < n; ++i) {
        int j = plan.bit_reverse[i];
        if (j > i) {
            double t = re[i]; re[i] = re[j]; re[j] = t;
            t = im[i]; im[i] = im[j]; im[j] = t;
        }
    }
    for (int half = 1; half < n; half *= 2) {
        const int stride = n / (2 * half);
        for (int start = 0; start < n; start += 2 * half) {
            for (int k = 0; k < half; ++k) {
                double wr = plan.cos_table[k * stride];
                double wi = -plan.sin_table[k * stride];
                int a = start + k, b = a + half;
                double tr = re[b] * wr - im[b] * wi;
                double ti = re[b] * wi + im[b] * wr;
                re[b] = re[a] - tr;
                im[b] = im[a] - ti;
                re[a] += tr;
                im[a] += ti;
            }
        }
    }
}

void fft_two_real_magnitudes(const fft_plan& plan, const double* a, const double* b, double* re,
                             double* im, double* mag_a, double* mag_b) {
    const int n = plan.size;
    for (int i = 0; i < n; ++i) {
        re[i] = a[i];
        im[i] = b[i];
    }
    fft_forward(plan, re, im);
    // With Z = A + iB: A[k] = (Z[k] + conj Z[n-k]) / 2, B[k] = (Z[k] - conj Z[n-k]) / 2i.
    for (int k = 0; k <= n / 2; ++k) {
        int m = (n - k) & (n - 1);
        double ar = 0.5 * (re[k] + re[m]), ai = 0.5 * (im[k] - im[m]);
        double br = 0.5 * (im[k] + im[m]), bi = 0.5 * (re[m] - re[k]);
        mag_a[k] = sqrt(ar * ar + ai * ai);
        mag_b[k] = sqrt(br * br + bi * bi);
    }
}

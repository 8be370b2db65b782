// Where a sampled peak lies between samples.
#pragma once

// Offset (-0.5..0.5) of the vertex of the parabola through three equally
// spaced values whose middle one is the largest; 0 when they are flat.
inline double parabola_vertex(double before, double at, double after) {
    double curve = before - 2 * at + after;
    if (!(curve < 0)) return 0;
    double shift = 0.5 * (before - after) / curve;
    return shift < -0.5 ? -0.5 : shift > 0.5 ? 0.5 : shift;
}

#include "effect/phase_table.h"

int cycle_length(int period, int phase_length) {
    const int shortest = 4 * phase_length + 1;
    return period > shortest ? period : shortest;
}

int cycle_position(int frame, int start_frame, int period_div, int cycle_length) {
    const int64_t units = (static_cast<int64_t>(frame) - start_frame) * period_div;
    return static_cast<int>(units % cycle_length);
}

const phase_factors phase_factor_table[phase_rows] = {
    {1.0, 1.0},
    {1.0, 1.0 / 1.015},         // 1.5 % taller
    {1.0 / 1.02, 1.0 / 0.985},  // 2 % wider, 1.5 % shorter
    {1.0, 1.0 / 0.98},          // 2 % shorter
    {1.0, 1.0 / 0.99},          // 1 % shorter
};

void build_phase_table(int L, int g, ScalePhase rows[phase_rows]) {
    for (int i = 0; i < phase_rows; i++) {
        rows[i].x_factor = phase_factor_table[i].x_factor;
        rows[i].y_factor = phase_factor_table[i].y_factor;
        rows[i].phase_end = L - (phase_rows - 1 - i) * g;
    }
}

int find_phase(const ScalePhase rows[phase_rows], int p) {
    for (int i = 0; i < phase_rows - 1; i++) {
        if (rows[i].phase_end > p) return i;
    }
    return phase_rows - 1;
}

int frame_phase(const beat_tracks& t, int frame) {
    if (frame < t.start_frame) return -1;
    const int g = t.stretch_frames * t.period_div;
    const int L = cycle_length(t.period, g);
    ScalePhase rows[phase_rows];
    build_phase_table(L, g, rows);
    return find_phase(rows, cycle_position(frame, t.start_frame, t.period_div, L));
}

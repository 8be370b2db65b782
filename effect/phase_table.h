// The beat cycle: where a frame lies in it, and how each of its phases scales
// the picture.
#pragma once

#include <stdint.h>

// One phase of the phase table (0 to 4). A factor maps an output coordinate to the source
// coordinate it shows: source = ref + (output - ref) * factor.
struct ScalePhase {
    double x_factor;
    double y_factor;
    int phase_end;  // exclusive end of the phase's cycle positions
};

enum { phase_rows = 5 };

// The two factors of a phase, whatever the cycle's lengths.
struct phase_factors {
    double x_factor;
    double y_factor;
};

// Phases 0 (unchanged) to 4: each factor is 1.0 divided by the double nearest
// the decimal, in double.
extern const phase_factors phase_factor_table[phase_rows];

// cycle_length L: the period, lengthened to 4g + 1 where it is shorter.
int cycle_length(int period, int phase_length);

// cycle_position p = ((frame - start_frame) * period_div) mod L, for
// frame >= start_frame, formed in 64 bits so every int frame number gives the
// true remainder.
int cycle_position(int frame, int start_frame, int period_div, int cycle_length);

// Fills the five phases for cycle length L and phase length g.
void build_phase_table(int cycle_length, int phase_length, ScalePhase rows[phase_rows]);

// The first phase whose phase_end is greater than p (phase 4 ends at L).
int find_phase(const ScalePhase rows[phase_rows], int position);

// The beat tracks, clamped to their ranges, that a frame's phase follows from.
struct beat_tracks {
    int period;
    int period_div;
    int stretch_frames;
    int start_frame;
};

// The phase of a frame as the filter finds it: -1 before the start frame,
// else 0 (unchanged) to 4.
int frame_phase(const beat_tracks& t, int frame);

// Keeping the period and the tempo tracks in step.
#pragma once

#include "host/filter_api.h"

// What the last run of reconcile_tempo wrote; -1 before the first run.
extern int prev_period;
extern int prev_period_div;
extern int prev_bpm_x10;

// After a settings change: derives the tempo from a changed period (or the
// period, at 100 units a frame, from a changed tempo) at the frame rate of the
// last processed frame, lengthens a period too short for the four bounce phases,
// writes period, subdivision and tempo back into fp->track unclamped, remembers
// them and asks the editor to redraw the filter window.
void reconcile_tempo(FILTER* fp);

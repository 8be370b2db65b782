#include "effect/phase_table.h"
#include "effect/resample.h"

resample_job phase_job(const PIXEL_YC* src, PIXEL_YC* dst, int w, int h, int pitch, int ref_x,
                       int ref_y, int phase) {
    // The factors do not depend on the cycle's lengths.
    ScalePhase rows[phase_rows];
    build_phase_table(4 + 1, 1, rows);
    const int at = phase < 0 ? 0 : phase < phase_rows ? phase : phase_rows - 1;
    resample_job job;
    job.src = src;
    job.dst = dst;
    job.w = w;
    job.h = h;
    job.pitch = pitch;
    job.ref_x = ref_x;
    job.ref_y = ref_y;
    job.x_factor = rows[at].x_factor;
    job.y_factor = rows[at].y_factor;
    return job;
}

#include "effect/phase_table.h"
#include "effect/resample.h"

resample_job phase_job(const PIXEL_YC* src, PIXEL_YC* dst, int w, int h, int pitch, int ref_x,
                       int ref_y, int phase) {
    const int at = phase < 0 ? 0 : phase < phase_rows ? phase : phase_rows - 1;
    resample_job job;
    job.src = src;
    job.dst = dst;
    job.w = w;
    job.h = h;
    job.pitch = pitch;
    job.ref_x = ref_x;
    job.ref_y = ref_y;
    job.x_factor = phase_factor_table[at].x_factor;
    job.y_factor = phase_factor_table[at].y_factor;
    return job;
}

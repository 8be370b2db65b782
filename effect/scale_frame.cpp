#include "effect/scale_frame.h"

#include "effect/frame_rate_cache.h"
#include "effect/phase_table.h"
#include "effect/resample_kernels.h"
#include "params/track_index.h"
#include "params/track_table.h"

BOOL scale_frame(FILTER* fp, FILTER_PROC_INFO* fpip) {
    FILE_INFO file_info = FILE_INFO();
    if (fp->exfunc && fp->exfunc->get_file_info) {
        fp->exfunc->get_file_info(fpip->editp, &file_info);
        last_video_rate = file_info.video_rate;
        last_video_scale = file_info.video_scale;
    }

    const int ref_x = read_track(label_ref_x, fp);
    const int ref_y = read_track(label_ref_y, fp);
    const int period = read_track(label_period, fp);
    const int period_div = read_track(label_period_div, fp);
    const int stretch_frames = read_track(label_stretch_frames, fp);
    const int start_frame = read_track(label_start_frame, fp);

    if (fpip->frame < start_frame) return TRUE;

    const int g = stretch_frames * period_div;
    const int L = cycle_length(period, g);
    const int p = cycle_position(fpip->frame, start_frame, period_div, L);
    ScalePhase rows[phase_rows];
    build_phase_table(L, g, rows);
    const int row = find_phase(rows, p);
    if (row == 0) return TRUE;

    resample_job job;
    job.src = fpip->ycp_edit;
    job.dst = fpip->ycp_temp;
    job.w = fpip->w;
    job.h = fpip->h;
    job.pitch = fpip->max_w;
    job.ref_x = ref_x;
    job.ref_y = ref_y;
    job.x_factor = rows[row].x_factor;
    job.y_factor = rows[row].y_factor;
    resample_frame(job);

    PIXEL_YC* const edited = fpip->ycp_edit;
    fpip->ycp_edit = fpip->ycp_temp;
    fpip->ycp_temp = edited;
    return TRUE;
}

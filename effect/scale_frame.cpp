#include "effect/scale_frame.h"

#include "effect/phase_table.h"
#include "effect/resample_kernels.h"
#include "params/track_index.h"
#include "shared/frame_rate_cache.h"
#include "shared/track_table.h"

BOOL scale_frame(FILTER* fp, FILTER_PROC_INFO* fpip) {
    FILE_INFO file_info = FILE_INFO();
    if (fp->exfunc && fp->exfunc->get_file_info) {
        fp->exfunc->get_file_info(fpip->editp, &file_info);
        last_video_rate = file_info.video_rate;
        last_video_scale = file_info.video_scale;
    }

    const int ref_x = read_track(label_ref_x, fp);
    const int ref_y = read_track(label_ref_y, fp);
    beat_tracks beat;
    beat.period = read_track(label_period, fp);
    beat.period_div = read_track(label_period_div, fp);
    beat.stretch_frames = read_track(label_stretch_frames, fp);
    beat.start_frame = read_track(label_start_frame, fp);

    const int phase = frame_phase(beat, fpip->frame);
    if (phase <= 0) return TRUE;  // before the start frame, or unchanged

    resample_frame(phase_job(fpip->ycp_edit, fpip->ycp_temp, fpip->w, fpip->h, fpip->max_w, ref_x,
                             ref_y, phase));

    PIXEL_YC* const edited = fpip->ycp_edit;
    fpip->ycp_edit = fpip->ycp_temp;
    fpip->ycp_temp = edited;
    return TRUE;
}

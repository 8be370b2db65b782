#include "tests/fixture.h"

#include "testhost/random_picture.h"

#include <string.h>

#include "params/tempo.h"
#include "params/track_index.h"
#include "shared/frame_rate_cache.h"
#include "shared/track_table.h"

const PIXEL_YC sentinel_pixel = {0x5A5A, -0x3C3C, 0x1234};

static fixture_host* current_host = nullptr;

static BOOL PULVAX_CDECL fixture_get_file_info(void*, FILE_INFO* fip) {
    current_host->file_info_calls++;
    fip->video_rate = current_host->video_rate;
    fip->video_scale = current_host->video_scale;
    return TRUE;
}

static BOOL PULVAX_CDECL fixture_window_update(FILTER*) {
    current_host->window_updates++;
    return TRUE;
}

static BOOL PULVAX_CDECL fixture_is_saving(void*) { return FALSE; }

HWND fixture_hwnd(fixture_host& host) {
#ifdef _WIN32
    (void)host;
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x4242));
#else
    return &host.window;
#endif
}

void fixture_init(fixture_host& host) {
    memset(&host, 0, sizeof host);
    current_host = &host;
    for (int i = 0; i < track_n; i++) host.track[i] = track_default[i];
    host.exfunc.is_saving = fixture_is_saving;
    host.exfunc.get_file_info = fixture_get_file_info;
    host.exfunc.filter_window_update = fixture_window_update;
    host.video_rate = 30;
    host.video_scale = 1;

    FILTER& fp = host.fp;
    fp.track_n = track_n;
    fp.track_name = track_name;
    fp.track_default = track_default;
    fp.track_s = track_s;
    fp.track_e = track_e;
    fp.track = host.track;
    fp.exfunc = &host.exfunc;
    fp.hwnd = fixture_hwnd(host);

    build_track_index();
    track_message_box = platform_message_box;
    last_video_rate = 30;
    last_video_scale = 1;
    prev_period = -1;
    prev_period_div = -1;
    prev_bpm_x10 = -1;
    memset(&platform_log, 0, sizeof platform_log);
    platform_boxes_quiet = true;
}

void fixture_frame_init(fixture_frame& f, int w, int h, int pitch, int frame) {
    const size_t rows = h > 0 ? static_cast<size_t>(h) : 0;
    const size_t size = rows * static_cast<size_t>(pitch > 0 ? pitch : 0);
    f.edit.assign(size, sentinel_pixel);
    f.temp.assign(size, sentinel_pixel);
    memset(&f.fpip, 0, sizeof f.fpip);
    f.fpip.ycp_edit = f.edit.data();
    f.fpip.ycp_temp = f.temp.data();
    f.fpip.w = w;
    f.fpip.h = h;
    f.fpip.max_w = pitch;
    f.fpip.frame = frame;
}

void fixture_fill_random(fixture_frame& f, unsigned seed) {
    // Row by row, so that the samples do not depend on the pitch.
    unsigned row_seed = seed;
    for (int y = 0; y < f.fpip.h; y++) {
        fill_random_pixels(&f.edit[static_cast<size_t>(y) * f.fpip.max_w], f.fpip.w, row_seed);
        row_seed = row_seed * 2654435761u + 7;
    }
}

bool same_pixel(const PIXEL_YC& a, const PIXEL_YC& b) {
    return a.y == b.y && a.cb == b.cb && a.cr == b.cr;
}

bool same_pixels(const std::vector<PIXEL_YC>& a, const std::vector<PIXEL_YC>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
        if (!same_pixel(a[i], b[i])) return false;
    return true;
}

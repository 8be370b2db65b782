#include "host/callbacks.h"

#include <stdint.h>
#include <stdio.h>

#include "effect/scale_frame.h"
#include "host/platform.h"
#include "params/tempo.h"

BOOL PULVAX_CDECL func_proc(FILTER* fp, FILTER_PROC_INFO* fpip) {
    const uint32_t start = platform_tick_count();
    if (scale_frame(fp, fpip) != 1) return FALSE;
    // Unsigned difference: a wrap of the counter between the readings still
    // gives the true interval.
    const uint32_t elapsed = platform_tick_count() - start;

    const bool saving = fp->exfunc && fp->exfunc->is_saving && fp->exfunc->is_saving(fpip->editp);
    if (!saving) {
        char title[256];
        snprintf(title, 255, "PULVAX time:%d", static_cast<int>(elapsed));
        platform_set_window_text(fp->hwnd, title);
    }
    return TRUE;
}

BOOL PULVAX_CDECL func_update(FILTER* fp, int) {
    reconcile_tempo(fp);
    return TRUE;
}

BOOL PULVAX_CDECL func_exit(FILTER*) { return TRUE; }

BOOL PULVAX_CDECL func_WndProc(HWND, UINT, WPARAM, LPARAM, void*, FILTER*) { return FALSE; }

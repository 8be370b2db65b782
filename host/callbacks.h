// The four callbacks through which the editor drives the filter.
#pragma once

#include "host/filter_api.h"

// One frame: scale_frame, timed with the tick count; while the editor previews
// (is not saving) the elapsed milliseconds go into the filter window's title as
// "PULVAX time:N". FALSE, with the title left alone, when the transform fails.
BOOL PULVAX_CDECL func_proc(FILTER* fp, FILTER_PROC_INFO* fpip);

// A setting changed: runs reconcile_tempo whatever the status, then TRUE.
BOOL PULVAX_CDECL func_update(FILTER* fp, int status);

// The editor shuts the filter down: nothing to do, TRUE.
BOOL PULVAX_CDECL func_exit(FILTER* fp);

// Window messages: all ignored, FALSE.
BOOL PULVAX_CDECL func_WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, void* editp,
                               FILTER* fp);

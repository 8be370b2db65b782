// The filter's effect: in the last four phases of every beat cycle, rescale the
// frame about the reference point.
#pragma once

#include "host/filter_api.h"

// Processes one frame. Caches the file's frame rate, reads the tracks, and in
// phases 1 to 4 resamples ycp_edit into ycp_temp and swaps the two pointers.
// Always returns TRUE.
BOOL scale_frame(FILTER* fp, FILTER_PROC_INFO* fpip);

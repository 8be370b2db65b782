// A small stand-in for the editor, for in-process tests: a filter record that
// points at the track table, the editor's track values, an EXFUNC whose
// get_file_info reports a chosen frame rate, and frame buffers.
#pragma once

#include <vector>

#include "host/filter_api.h"
#include "host/platform.h"
#include "shared/track_table.h"

struct fixture_host {
    int track[track_n];
    EXFUNC exfunc;
    FILTER fp;
#ifndef _WIN32
    native_window window;
#endif
    int video_rate;
    int video_scale;
    int file_info_calls;
    int window_updates;
};

// Fills the record and track values with the table's defaults and puts all of
// the module's state as it is at load: track_index built, read_track's box
// the platform's, the cached frame rate 30/1, the tempo coupling's remembered
// values -1, no message box recorded. Makes host the one get_file_info and
// filter_window_update report to.
void fixture_init(fixture_host& host);

// The window handle the fixture gives the filter.
HWND fixture_hwnd(fixture_host& host);

// A picture w x h with the given pitch (pitch >= w), in two buffers; pixels
// outside the picture hold a sentinel.
struct fixture_frame {
    std::vector<PIXEL_YC> edit;
    std::vector<PIXEL_YC> temp;
    FILTER_PROC_INFO fpip;
};

extern const PIXEL_YC sentinel_pixel;

void fixture_frame_init(fixture_frame& f, int w, int h, int pitch, int frame);

// Fills the edit picture with pseudo-random samples over the full 16-bit range.
void fixture_fill_random(fixture_frame& f, unsigned seed);

bool same_pixel(const PIXEL_YC& a, const PIXEL_YC& b);
bool same_pixels(const std::vector<PIXEL_YC>& a, const std::vector<PIXEL_YC>& b);

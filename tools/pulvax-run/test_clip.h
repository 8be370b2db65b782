// The built-in clip: a test card with a grid, a crosshair at the filter's
// default reference point, a marker moving across it and a frame counter, so
// that the bounce is easy to see. Generated, no files.
#pragma once

#include <stdint.h>

#include <vector>

#include "tools/pulvax-run/y4m.h"

enum { test_clip_w = 512, test_clip_h = 384, test_clip_frames = 120 };

// 512 x 384, 30 frames per second, 4:2:0 (C420jpeg), square pixels.
y4m_format test_clip_format();

// Frame number index of the clip, as planes of test_clip_format().
void test_clip_frame(int index, std::vector<uint8_t>& planes);

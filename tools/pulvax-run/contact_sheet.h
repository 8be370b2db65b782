// The contact sheet: one beat cycle's output frames side by side, each
// labelled with its frame number and phase, written as PNG.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "effect/phase_table.h"
#include "host/filter_api.h"
#include "tools/pulvax-run/y4m.h"

enum { sheet_max_tiles = 48, sheet_columns = 5 };

// The frames of the first beat cycle that begins at or after frame 0 and the
// start frame: first and count. A cycle longer than sheet_max_tiles frames is
// cut to its last sheet_max_tiles frames (where it bounces).
void sheet_frames(const beat_tracks& t, int& first, int& count);

struct sheet_tile {
    int frame;
    int phase;
    std::vector<uint8_t> rgb;
};

struct contact_sheet {
    beat_tracks tracks;
    int first = 0, count = 0;
    int factor = 1;  // thumbnails are the picture reduced by this factor
    int thumb_w = 0, thumb_h = 0;
    std::vector<sheet_tile> tiles;
};

// Plans the sheet for pictures of f's size.
void sheet_init(contact_sheet& sheet, const beat_tracks& t, const y4m_format& f);

// Adds the output picture of frame when the frame belongs on the sheet.
void sheet_add(contact_sheet& sheet, int frame, const y4m_format& f, const PIXEL_YC* picture,
               int pitch);

// Writes the sheet as PNG; false with a message when there is nothing to show
// or the file cannot be written.
bool sheet_write(const contact_sheet& sheet, const char* path, std::string& error);

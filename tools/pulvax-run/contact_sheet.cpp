#include "tools/pulvax-run/contact_sheet.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <stb_image_write.h>

#include "tools/pulvax-run/bitmap_font.h"
#include "tools/pulvax-run/rgb_convert.h"
#include "tools/pulvax-run/yc_convert.h"
#include "tools/utf8/utf8_file.h"

enum { thumb_max_w = 256, tile_gap = 6, label_scale = 2 };
static const int label_h = glyph_h * label_scale + 6;

// True when a new cycle begins within the frame: its position is below one
// frame's worth of units.
static bool cycle_begins(const beat_tracks& t, int frame) {
    const int g = t.stretch_frames * t.period_div;
    const int L = cycle_length(t.period, g);
    return cycle_position(frame, t.start_frame, t.period_div, L) < t.period_div;
}

void sheet_frames(const beat_tracks& t, int& first, int& count) {
    int f = t.start_frame > 0 ? t.start_frame : 0;
    while (!cycle_begins(t, f)) f++;  // a cycle is at most 10000 frames
    int end = f + 1;
    while (!cycle_begins(t, end)) end++;
    count = end - f;
    first = f;
    if (count > sheet_max_tiles) {
        first = end - sheet_max_tiles;
        count = sheet_max_tiles;
    }
}

void sheet_init(contact_sheet& sheet, const beat_tracks& t, const y4m_format& f) {
    sheet.tracks = t;
    sheet_frames(t, sheet.first, sheet.count);
    sheet.factor = (f.w + thumb_max_w - 1) / thumb_max_w;
    sheet.thumb_w = f.w / sheet.factor;
    sheet.thumb_h = f.h / sheet.factor;
    if (sheet.thumb_h < 1) sheet.thumb_h = 1;
    sheet.tiles.clear();
}

void sheet_add(contact_sheet& sheet, int frame, const y4m_format& f, const PIXEL_YC* picture,
               int pitch) {
    if (frame < sheet.first || frame >= sheet.first + sheet.count) return;
    sheet_tile tile;
    tile.frame = frame;
    tile.phase = frame_phase(sheet.tracks, frame);
    tile.rgb.resize(3 * static_cast<size_t>(sheet.thumb_w) * sheet.thumb_h);
    const int k = sheet.factor;
    for (int ty = 0; ty < sheet.thumb_h; ty++) {
        for (int tx = 0; tx < sheet.thumb_w; tx++) {
            int sum[3] = {0, 0, 0}, n = 0;
            for (int y = ty * k; y < (ty + 1) * k && y < f.h; y++) {
                const PIXEL_YC* row = picture + static_cast<ptrdiff_t>(y) * pitch;
                for (int x = tx * k; x < (tx + 1) * k && x < f.w; x++) {
                    uint8_t rgb[3];
                    ycbcr_to_rgb(yc_to_luma(row[x].y), yc_to_chroma(row[x].cb),
                                 yc_to_chroma(row[x].cr), rgb[0], rgb[1], rgb[2]);
                    for (int c = 0; c < 3; c++) sum[c] += rgb[c];
                    n++;
                }
            }
            uint8_t* out = &tile.rgb[3 * (static_cast<size_t>(ty) * sheet.thumb_w + tx)];
            for (int c = 0; c < 3; c++) out[c] = static_cast<uint8_t>(n ? round_div(sum[c], n) : 0);
        }
    }
    sheet.tiles.push_back(tile);
}

static void append_bytes(void* context, void* data, int size) {
    std::vector<uint8_t>& out = *static_cast<std::vector<uint8_t>*>(context);
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

// Writes the bytes under a name beside path and renames that file to path
// once all of it is on disk, so that a failed write (a full disk) leaves
// nothing under path, and what was there stays. A device or a pipe is
// written as it is.
static bool write_whole(const char* path, const uint8_t* data, size_t size, std::string& error) {
    const bool in_place = utf8_is_special(path);
    const std::string temp = in_place ? std::string(path) : std::string(path) + ".part";
    FILE* file = utf8_fopen(temp.c_str(), "wb");
    bool ok = file != nullptr;
    if (ok) {
        ok = fwrite(data, 1, size, file) == size;
        ok = fclose(file) == 0 && ok;
    }
    ok = ok && (in_place || utf8_rename(temp.c_str(), path) == 0);
    if (ok) return true;
    error = std::string("cannot write the contact sheet '") + path + "': " + strerror(errno);
    if (!in_place) utf8_remove(temp.c_str());
    return false;
}

bool sheet_write(const contact_sheet& sheet, const char* path, std::string& error) {
    if (sheet.tiles.empty()) {
        error = "contact sheet: the input ends before frame " + std::to_string(sheet.first) +
                ", where the beat cycle to show begins";
        return false;
    }
    static const uint8_t background[3] = {24, 24, 24};
    static const uint8_t plain[3] = {200, 200, 200};
    static const uint8_t bouncing[3] = {255, 200, 60};
    const int n = static_cast<int>(sheet.tiles.size());
    const int columns = n < sheet_columns ? n : sheet_columns;
    const int rows = (n + columns - 1) / columns;
    const int tile_w = sheet.thumb_w > 96 ? sheet.thumb_w : 96;
    const int cell_w = tile_w + tile_gap, cell_h = sheet.thumb_h + label_h + tile_gap;
    const int w = columns * cell_w + tile_gap, h = rows * cell_h + tile_gap;
    std::vector<uint8_t> rgb(3 * static_cast<size_t>(w) * h);
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = background[0];
        rgb[i + 1] = background[1];
        rgb[i + 2] = background[2];
    }
    for (int i = 0; i < n; i++) {
        const sheet_tile& tile = sheet.tiles[i];
        const int x0 = tile_gap + (i % columns) * cell_w, y0 = tile_gap + (i / columns) * cell_h;
        for (int y = 0; y < sheet.thumb_h; y++) {
            for (int x = 0; x < sheet.thumb_w; x++) {
                const uint8_t* s = &tile.rgb[3 * (static_cast<size_t>(y) * sheet.thumb_w + x)];
                uint8_t* d = &rgb[3 * (static_cast<size_t>(y0 + y) * w + x0 + x)];
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
        }
        char label[48];
        if (tile.phase < 0) {
            snprintf(label, sizeof label, "FRAME %d  PHASE -", tile.frame);
        } else {
            snprintf(label, sizeof label, "FRAME %d  PHASE %d", tile.frame, tile.phase);
        }
        const int scale = text_width(label, label_scale) <= tile_w ? label_scale : 1;
        draw_text(rgb.data(), w, h, x0, y0 + sheet.thumb_h + 4, scale, label,
                  tile.phase > 0 ? bouncing : plain);
    }
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(append_bytes, &png, w, h, 3, rgb.data(), w * 3)) {
        error = std::string("cannot write the contact sheet '") + path + "': out of memory";
        return false;
    }
    return write_whole(path, png.data(), png.size(), error);
}

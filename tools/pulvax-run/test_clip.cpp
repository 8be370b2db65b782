#include "tools/pulvax-run/test_clip.h"

#include <stdio.h>

#include "tools/pulvax-run/bitmap_font.h"
#include "tools/pulvax-run/rgb_convert.h"

y4m_format test_clip_format() {
    return generated_format(test_clip_w, test_clip_h, chroma_420, "C420jpeg");
}

static void fill_rect(std::vector<uint8_t>& rgb, int x0, int y0, int x1, int y1, const uint8_t c[3]) {
    for (int y = y0 < 0 ? 0 : y0; y < y1 && y < test_clip_h; y++) {
        for (int x = x0 < 0 ? 0 : x0; x < x1 && x < test_clip_w; x++) {
            uint8_t* p = &rgb[3 * (static_cast<size_t>(y) * test_clip_w + x)];
            p[0] = c[0];
            p[1] = c[1];
            p[2] = c[2];
        }
    }
}

void test_clip_frame(int index, std::vector<uint8_t>& planes) {
    static const uint8_t background[3] = {40, 44, 52};
    static const uint8_t grid[3] = {110, 116, 128};
    static const uint8_t cross[3] = {235, 235, 235};
    static const uint8_t marker[3] = {230, 70, 40};
    static const uint8_t text[3] = {250, 220, 60};
    static const uint8_t bars[6][3] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191},
                                       {0, 191, 0},     {191, 0, 191}, {191, 0, 0}};
    std::vector<uint8_t> rgb(3 * static_cast<size_t>(test_clip_w) * test_clip_h);
    fill_rect(rgb, 0, 0, test_clip_w, test_clip_h, background);
    for (int x = 0; x <= test_clip_w; x += 32) fill_rect(rgb, x - 1, 0, x + 1, test_clip_h, grid);
    for (int y = 0; y <= test_clip_h; y += 32) fill_rect(rgb, 0, y - 1, test_clip_w, y + 1, grid);
    for (int i = 0; i < 6; i++) fill_rect(rgb, 64 + i * 64, 320, 128 + i * 64, 352, bars[i]);
    // Crosshair at (256, 192), the default reference point.
    fill_rect(rgb, 256 - 24, 191, 256 + 25, 194, cross);
    fill_rect(rgb, 255, 192 - 24, 258, 192 + 25, cross);
    // Marker sweeping left and right once every 60 frames.
    const int step = index % 60;
    const int mx = 40 + (step < 30 ? step : 60 - step) * 14;
    fill_rect(rgb, mx - 12, 232, mx + 12, 256, marker);
    char counter[16];
    snprintf(counter, sizeof counter, "%d", index);
    draw_text(&rgb[0], test_clip_w, test_clip_h, 32, 32, 6, counter, text);

    const y4m_format f = test_clip_format();
    planes.resize(frame_bytes(f));
    rgb_to_planes(f, rgb.data(), planes.data());
}

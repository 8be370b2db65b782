#include "tools/pulvax-run/rgb_convert.h"

#include <stddef.h>

#include <vector>

#include "tools/pulvax-run/yc_convert.h"

void rgb_to_ycbcr(int r, int g, int b, uint8_t& y, uint8_t& cb, uint8_t& cr) {
    y = clamp_byte(floor_div(66 * r + 129 * g + 25 * b + 128, 256) + 16);
    cb = clamp_byte(floor_div(-38 * r - 74 * g + 112 * b + 128, 256) + 128);
    cr = clamp_byte(floor_div(112 * r - 94 * g - 18 * b + 128, 256) + 128);
}

void ycbcr_to_rgb(int y, int cb, int cr, uint8_t& r, uint8_t& g, uint8_t& b) {
    const int c = y - 16, d = cb - 128, e = cr - 128;
    r = clamp_byte(floor_div(298 * c + 409 * e + 128, 256));
    g = clamp_byte(floor_div(298 * c - 100 * d - 208 * e + 128, 256));
    b = clamp_byte(floor_div(298 * c + 516 * d + 128, 256));
}

void rgb_to_planes(const y4m_format& f, const uint8_t* rgb, uint8_t* planes) {
    const size_t area = static_cast<size_t>(f.w) * f.h;
    std::vector<uint8_t> full_cb(area), full_cr(area);
    for (size_t i = 0; i < area; i++) {
        rgb_to_ycbcr(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2], planes[i], full_cb[i], full_cr[i]);
    }
    const int cw = chroma_width(f), ch = chroma_height(f);
    const int bw = f.w / cw, bh = f.h / ch, n = bw * bh;
    uint8_t* cb = planes + area;
    uint8_t* cr = cb + static_cast<size_t>(cw) * ch;
    for (int cy = 0; cy < ch; cy++) {
        for (int cx = 0; cx < cw; cx++) {
            int sum_cb = 0, sum_cr = 0;
            for (int dy = 0; dy < bh; dy++) {
                for (int dx = 0; dx < bw; dx++) {
                    const size_t i = static_cast<size_t>(cy * bh + dy) * f.w + cx * bw + dx;
                    sum_cb += full_cb[i];
                    sum_cr += full_cr[i];
                }
            }
            cb[static_cast<size_t>(cy) * cw + cx] = static_cast<uint8_t>(round_div(sum_cb, n));
            cr[static_cast<size_t>(cy) * cw + cx] = static_cast<uint8_t>(round_div(sum_cr, n));
        }
    }
}

#include "tools/pulvax-run/yc_convert.h"

#include <stddef.h>

int floor_div(int n, int d) {
    int q = n / d;
    if (n % d != 0 && ((n < 0) != (d < 0))) q--;
    return q;
}

int round_div(int n, int d) { return floor_div(2 * n + d, 2 * d); }

uint8_t clamp_byte(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

int16_t luma_to_yc(int luma) { return static_cast<int16_t>(round_div((luma - 16) * 4096, 219)); }

int16_t chroma_to_yc(int chroma) {
    return static_cast<int16_t>(round_div((chroma - 128) * 4096, 224));
}

uint8_t yc_to_luma(int y) { return clamp_byte(round_div(y * 219, 4096) + 16); }

uint8_t yc_to_chroma(int c) { return clamp_byte(round_div(c * 224, 4096) + 128); }

// Horizontal and vertical size of a chroma block.
static int block_w(const y4m_format& f) { return f.chroma == chroma_444 ? 1 : 2; }
static int block_h(const y4m_format& f) { return f.chroma == chroma_420 ? 2 : 1; }

void planes_to_yc(const y4m_format& f, const uint8_t* planes, PIXEL_YC* out, int pitch) {
    const int cw = chroma_width(f);
    const uint8_t* luma = planes;
    const uint8_t* cb = luma + static_cast<size_t>(f.w) * f.h;
    const uint8_t* cr = cb + static_cast<size_t>(cw) * chroma_height(f);
    const int bw = block_w(f), bh = block_h(f);
    for (int y = 0; y < f.h; y++) {
        PIXEL_YC* row = out + static_cast<ptrdiff_t>(y) * pitch;
        const uint8_t* luma_row = luma + static_cast<size_t>(y) * f.w;
        const size_t chroma_row = static_cast<size_t>(y / bh) * cw;
        for (int x = 0; x < f.w; x++) {
            row[x].y = luma_to_yc(luma_row[x]);
            row[x].cb = chroma_to_yc(cb[chroma_row + x / bw]);
            row[x].cr = chroma_to_yc(cr[chroma_row + x / bw]);
        }
    }
}

void yc_to_planes(const y4m_format& f, const PIXEL_YC* in, int pitch, uint8_t* planes) {
    const int cw = chroma_width(f), ch = chroma_height(f);
    uint8_t* luma = planes;
    uint8_t* cb = luma + static_cast<size_t>(f.w) * f.h;
    uint8_t* cr = cb + static_cast<size_t>(cw) * ch;
    for (int y = 0; y < f.h; y++) {
        const PIXEL_YC* row = in + static_cast<ptrdiff_t>(y) * pitch;
        for (int x = 0; x < f.w; x++) luma[static_cast<size_t>(y) * f.w + x] = yc_to_luma(row[x].y);
    }
    const int bw = block_w(f), bh = block_h(f), n = bw * bh;
    for (int cy = 0; cy < ch; cy++) {
        for (int cx = 0; cx < cw; cx++) {
            int sum_cb = 0, sum_cr = 0;
            for (int dy = 0; dy < bh; dy++) {
                const PIXEL_YC* p = in + static_cast<ptrdiff_t>(cy * bh + dy) * pitch + cx * bw;
                for (int dx = 0; dx < bw; dx++) {
                    sum_cb += p[dx].cb;
                    sum_cr += p[dx].cr;
                }
            }
            cb[static_cast<size_t>(cy) * cw + cx] = yc_to_chroma(round_div(sum_cb, n));
            cr[static_cast<size_t>(cy) * cw + cx] = yc_to_chroma(round_div(sum_cr, n));
        }
    }
}

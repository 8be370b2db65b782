#include "tools/pulvax-run/yc_convert.h"

#include <stddef.h>

#include <vector>

long long floor_div(long long n, long long d) {
    long long q = n / d;
    if (n % d != 0 && ((n < 0) != (d < 0))) q--;
    return q;
}

long long round_div(long long n, long long d) { return floor_div(2 * n + d, 2 * d); }

uint8_t clamp_byte(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

sample_scale luma_scale(int depth, bool full_range) {
    const int max = (1 << depth) - 1, k = 1 << (depth - 8);
    return full_range ? sample_scale{0, max, max} : sample_scale{16 * k, 219 * k, max};
}

sample_scale chroma_scale(int depth, bool full_range) {
    const int max = (1 << depth) - 1, k = 1 << (depth - 8);
    return full_range ? sample_scale{1 << (depth - 1), max, max} : sample_scale{128 * k, 224 * k, max};
}

int16_t sample_to_yc(const sample_scale& s, int v) {
    // Values beyond the depth (malformed input) saturate rather than wrap.
    const long long yc = round_div(static_cast<long long>(v - s.offset) * 4096, s.span);
    return static_cast<int16_t>(yc < -32768 ? -32768 : yc > 32767 ? 32767 : yc);
}

int yc_to_sample(const sample_scale& s, int yc) {
    const long long v = round_div(static_cast<long long>(yc) * s.span, 4096) + s.offset;
    return static_cast<int>(v < 0 ? 0 : v > s.max ? s.max : v);
}

static const sample_scale luma_8 = luma_scale(8, false);
static const sample_scale chroma_8 = chroma_scale(8, false);

int16_t luma_to_yc(int luma) { return sample_to_yc(luma_8, luma); }
int16_t chroma_to_yc(int chroma) { return sample_to_yc(chroma_8, chroma); }
uint8_t yc_to_luma(int y) { return static_cast<uint8_t>(yc_to_sample(luma_8, y)); }
uint8_t yc_to_chroma(int c) { return static_cast<uint8_t>(yc_to_sample(chroma_8, c)); }

// The conversion of one plane kind, tabulated: every sample value to the
// editor's sample, and every editor sample (offset by 32768) back. Built once
// for the depth and range in use.
struct sample_tables {
    int depth = 0;
    bool full_range = false;
    std::vector<int16_t> to_yc[2];     // luma, chroma
    std::vector<uint16_t> from_yc[2];  // luma, chroma
};

static const sample_tables& tables_for(int depth, bool full_range) {
    static sample_tables t;
    if (t.depth == depth && t.full_range == full_range) return t;
    t.depth = depth;
    t.full_range = full_range;
    const sample_scale scales[2] = {luma_scale(depth, full_range), chroma_scale(depth, full_range)};
    for (int k = 0; k < 2; k++) {
        // Every value the sample's bytes can hold, beyond the depth too.
        const int top = depth > 8 ? 65535 : 255;
        t.to_yc[k].resize(static_cast<size_t>(top) + 1);
        for (int v = 0; v <= top; v++) t.to_yc[k][v] = sample_to_yc(scales[k], v);
        t.from_yc[k].resize(65536);
        for (int i = 0; i < 65536; i++) t.from_yc[k][i] = static_cast<uint16_t>(yc_to_sample(scales[k], i - 32768));
    }
    return t;
}

// The mean of n samples, rounded to nearest, halves up (round_div in int).
static int mean_of(int sum, int n) {
    const int a = 2 * sum + n, b = 2 * n;
    int q = a / b;
    if (a % b != 0 && a < 0) q--;
    return q;
}

// Sample i of a plane: bytes, or 16-bit little-endian words.
static int get_sample(const uint8_t* plane, size_t i, int bytes) {
    return bytes == 1 ? plane[i] : plane[2 * i] | plane[2 * i + 1] << 8;
}

static void put_sample(uint8_t* plane, size_t i, int bytes, int v) {
    if (bytes == 1) {
        plane[i] = static_cast<uint8_t>(v);
    } else {
        plane[2 * i] = static_cast<uint8_t>(v & 0xFF);
        plane[2 * i + 1] = static_cast<uint8_t>(v >> 8);
    }
}

void planes_to_yc(const y4m_format& f, const uint8_t* planes, PIXEL_YC* out, int pitch) {
    const int bytes = sample_bytes(f);
    const int cw = chroma_width(f), sx = chroma_shift_x(f), sy = chroma_shift_y(f);
    const uint8_t* luma = planes;
    const uint8_t* cb = luma + static_cast<size_t>(f.w) * f.h * bytes;
    const uint8_t* cr = cb + static_cast<size_t>(cw) * chroma_height(f) * bytes;
    const sample_tables& t = tables_for(f.depth, f.full_range);
    const int16_t* ly = t.to_yc[0].data();
    const int16_t* cy = t.to_yc[1].data();
    const bool mono = f.chroma == chroma_mono;
    for (int y = 0; y < f.h; y++) {
        PIXEL_YC* row = out + static_cast<ptrdiff_t>(y) * pitch;
        const size_t luma_row = static_cast<size_t>(y) * f.w;
        const size_t chroma_row = static_cast<size_t>(y >> sy) * cw;
        for (int x = 0; x < f.w; x++) {
            row[x].y = ly[get_sample(luma, luma_row + x, bytes)];
            row[x].cb = mono ? 0 : cy[get_sample(cb, chroma_row + (x >> sx), bytes)];
            row[x].cr = mono ? 0 : cy[get_sample(cr, chroma_row + (x >> sx), bytes)];
        }
    }
}

void yc_to_planes(const y4m_format& f, const PIXEL_YC* in, int pitch, uint8_t* planes) {
    const int bytes = sample_bytes(f);
    const int cw = chroma_width(f), ch = chroma_height(f);
    uint8_t* luma = planes;
    uint8_t* cb = luma + static_cast<size_t>(f.w) * f.h * bytes;
    uint8_t* cr = cb + static_cast<size_t>(cw) * ch * bytes;
    const sample_tables& t = tables_for(f.depth, f.full_range);
    const uint16_t* ly = t.from_yc[0].data() + 32768;
    const uint16_t* cy = t.from_yc[1].data() + 32768;
    for (int y = 0; y < f.h; y++) {
        const PIXEL_YC* row = in + static_cast<ptrdiff_t>(y) * pitch;
        for (int x = 0; x < f.w; x++) put_sample(luma, static_cast<size_t>(y) * f.w + x, bytes, ly[row[x].y]);
    }
    const int bw = 1 << chroma_shift_x(f), bh = 1 << chroma_shift_y(f);
    for (int by = 0; by < ch; by++) {
        const int y0 = by * bh, y1 = y0 + bh < f.h ? y0 + bh : f.h;
        for (int cx = 0; cx < cw; cx++) {
            const int x0 = cx * bw, x1 = x0 + bw < f.w ? x0 + bw : f.w;
            int sum_cb = 0, sum_cr = 0;
            for (int y = y0; y < y1; y++) {
                const PIXEL_YC* p = in + static_cast<ptrdiff_t>(y) * pitch;
                for (int x = x0; x < x1; x++) {
                    sum_cb += p[x].cb;
                    sum_cr += p[x].cr;
                }
            }
            const int n = (y1 - y0) * (x1 - x0);
            const size_t i = static_cast<size_t>(by) * cw + cx;
            put_sample(cb, i, bytes, cy[mean_of(sum_cb, n)]);
            put_sample(cr, i, bytes, cy[mean_of(sum_cr, n)]);
        }
    }
}

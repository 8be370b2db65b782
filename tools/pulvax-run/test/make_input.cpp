// Writes test inputs for pulvax-run: YUV4MPEG2 streams of pseudo-random
// samples over the whole range of their depth, and PNG or BMP images
// (bmp_topdown: the BMP's pixels with its rows stored top-down, as a negative
// height says; the picture is the same).
//   make_input y4m OUT W H CHROMA FRAMES [RATE [TAG...]]   (CHROMA none: no C tag)
//   make_input png|bmp|bmp_topdown OUT W H
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <stb_image_write.h>

#include "tools/pulvax-run/y4m.h"
#include "tools/utf8/utf8_file.h"

static uint32_t lcg_state = 12345;
static uint32_t next_word() {
    lcg_state = lcg_state * 1664525u + 1013904223u;
    return lcg_state >> 16;
}

static void put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A 24-bit BMP with a 40-byte information header and a negative height.
static bool write_topdown_bmp(const char* path, int w, int h, const std::vector<uint8_t>& rgb) {
    const size_t stride = (3 * static_cast<size_t>(w) + 3) / 4 * 4;
    std::vector<uint8_t> out(54 + stride * h);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, static_cast<uint32_t>(out.size()));
    put32(out, 10, 54);
    put32(out, 14, 40);
    put32(out, 18, static_cast<uint32_t>(w));
    put32(out, 22, static_cast<uint32_t>(-h));
    out[26] = 1;
    out[28] = 24;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            const uint8_t* s = &rgb[3 * (static_cast<size_t>(y) * w + x)];
            uint8_t* d = &out[54 + y * stride + 3 * x];
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    }
    FILE* file = utf8_fopen(path, "wb");
    if (!file) return false;
    const bool ok = fwrite(out.data(), 1, out.size(), file) == out.size();
    return fclose(file) == 0 && ok;
}

int main(int argc, char** argv) {
    utf8_arguments(argc, argv);
    if (argc < 5) {
        fprintf(stderr, "usage: make_input y4m|png|bmp|bmp_topdown OUT W H [CHROMA FRAMES [RATE [TAG...]]]\n");
        return 2;
    }
    const std::string kind = argv[1];
    const char* out = argv[2];
    const int w = atoi(argv[3]), h = atoi(argv[4]);
    if (kind == "png" || kind == "bmp" || kind == "bmp_topdown") {
        std::vector<uint8_t> rgb(3 * static_cast<size_t>(w) * h);
        for (size_t i = 0; i < rgb.size(); i++) rgb[i] = static_cast<uint8_t>(next_word() >> 8);
        bool ok;
        if (kind == "png") {
            ok = stbi_write_png(out, w, h, 3, rgb.data(), w * 3) != 0;
        } else if (kind == "bmp") {
            ok = stbi_write_bmp(out, w, h, 3, rgb.data()) != 0;
        } else {
            ok = write_topdown_bmp(out, w, h, rgb);
        }
        return ok ? 0 : 1;
    }
    if (kind != "y4m" || argc < 7) return 2;
    const std::string chroma = argv[5];
    const int frames = atoi(argv[6]);
    const char* rate = argc > 7 ? argv[7] : "30:1";
    // Progressive unless an I tag is given.
    bool interlace_tag = false;
    for (int i = 8; i < argc; i++) interlace_tag = interlace_tag || argv[i][0] == 'I';
    std::string header = "YUV4MPEG2 W" + std::to_string(w) + " H" + std::to_string(h) + " F" + rate +
                         (interlace_tag ? "" : " Ip") + " A1:1";
    if (chroma != "none") header += " C" + chroma;
    for (int i = 8; i < argc; i++) header += std::string(" ") + argv[i];
    y4m_format f;
    std::string error;
    if (!parse_y4m_header(header, f, error)) {
        fprintf(stderr, "make_input: %s\n", error.c_str());
        return 2;
    }
    FILE* file = utf8_fopen(out, "wb");
    if (!file) return 1;
    fprintf(file, "%s\n", header.c_str());
    const size_t samples = frame_bytes(f) / sample_bytes(f);
    const uint32_t mask = (1u << f.depth) - 1;
    for (int i = 0; i < frames; i++) {
        fputs("FRAME\n", file);
        for (size_t j = 0; j < samples; j++) {
            const uint32_t v = next_word() & mask;
            fputc(static_cast<int>(v & 0xFF), file);
            if (f.depth > 8) fputc(static_cast<int>(v >> 8), file);
        }
    }
    return fclose(file) == 0 ? 0 : 1;
}

// Writes test inputs for pulvax-run: YUV4MPEG2 streams of pseudo-random
// samples over the whole 8-bit range, and PNG or BMP images.
//   make_input y4m OUT W H CHROMA FRAMES [RATE [TAG...]]   (CHROMA none: no C tag)
//   make_input png|bmp OUT W H
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <stb_image_write.h>

static uint32_t lcg_state = 12345;
static uint8_t next_byte() {
    lcg_state = lcg_state * 1664525u + 1013904223u;
    return static_cast<uint8_t>(lcg_state >> 24);
}

int main(int argc, char** argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: make_input y4m|png|bmp OUT W H [CHROMA FRAMES [RATE [TAG...]]]\n");
        return 2;
    }
    const std::string kind = argv[1];
    const char* out = argv[2];
    const int w = atoi(argv[3]), h = atoi(argv[4]);
    if (kind == "png" || kind == "bmp") {
        std::vector<uint8_t> rgb(3 * static_cast<size_t>(w) * h);
        for (size_t i = 0; i < rgb.size(); i++) rgb[i] = next_byte();
        const int ok = kind == "png" ? stbi_write_png(out, w, h, 3, rgb.data(), w * 3)
                                     : stbi_write_bmp(out, w, h, 3, rgb.data());
        return ok ? 0 : 1;
    }
    if (kind != "y4m" || argc < 7) return 2;
    const std::string chroma = argv[5];
    const int frames = atoi(argv[6]);
    const char* rate = argc > 7 ? argv[7] : "30:1";
    size_t cw = w, ch = h;
    if (chroma.compare(0, 3, "420") == 0 || chroma == "none") {
        cw = w / 2;
        ch = h / 2;
    } else if (chroma == "422") {
        cw = w / 2;
    }
    FILE* f = fopen(out, "wb");
    if (!f) return 1;
    fprintf(f, "YUV4MPEG2 W%d H%d F%s Ip A1:1", w, h, rate);
    if (chroma != "none") fprintf(f, " C%s", chroma.c_str());
    for (int i = 8; i < argc; i++) fprintf(f, " %s", argv[i]);
    fputc('\n', f);
    const size_t n = static_cast<size_t>(w) * h + 2 * cw * ch;
    for (int i = 0; i < frames; i++) {
        fputs("FRAME\n", f);
        for (size_t j = 0; j < n; j++) fputc(next_byte(), f);
    }
    return fclose(f) == 0 ? 0 : 1;
}

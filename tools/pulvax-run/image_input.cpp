#include "tools/pulvax-run/image_input.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <stb_image.h>

#include "tools/pulvax-run/image_check.h"
#include "tools/pulvax-run/rgb_convert.h"
#include "tools/utf8/utf8_file.h"

// Larger than any image of the largest size the tool takes (a BMP of 4 bytes
// a pixel), and within what the decoder's int sizes hold.
static const long image_max_file = 256L << 20;

bool decode_image(const uint8_t* data, size_t size, y4m_format& f, std::vector<uint8_t>& planes,
                  std::string& error) {
    image_facts facts;
    if (!check_image(data, size, facts, error)) return false;
    f = generated_format(facts.w, facts.h, chroma_444, "C444");
    int w = 0, h = 0, n = 0;
    unsigned char* rgb = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &n, 3);
    if (!rgb || w != f.w || h != f.h) {
        error = "cannot decode the image (" +
                (rgb ? std::string("its size is not the one its header gives") : std::string(stbi_failure_reason())) +
                ")";
        stbi_image_free(rgb);
        return false;
    }
    planes.resize(frame_bytes(f));
    rgb_to_planes(f, rgb, planes.data());
    stbi_image_free(rgb);
    return true;
}

bool load_image(const char* path, y4m_format& f, std::vector<uint8_t>& planes, std::string& error) {
    const std::string what = std::string("'") + path + "'";
    FILE* file = utf8_fopen(path, "rb");
    if (!file) {
        error = "cannot open " + what + ": " + strerror(errno);
        return false;
    }
    std::vector<uint8_t> data;
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0) size = ftell(file);
    if (size > image_max_file) {
        fclose(file);
        error = what + " is larger than any image this tool reads (" + std::to_string(image_max_file >> 20) + " MB)";
        return false;
    }
    bool read = size >= 0 && fseek(file, 0, SEEK_SET) == 0;
    if (read) {
        data.resize(static_cast<size_t>(size));
        read = fread(data.data(), 1, data.size(), file) == data.size();
    }
    fclose(file);
    if (!read) {
        error = "cannot read " + what;
        return false;
    }
    if (!decode_image(data.data(), data.size(), f, planes, error)) {
        error = what + ": " + error;
        return false;
    }
    return true;
}

bool is_image(const char* path) {
    uint8_t head[8] = {0};
    FILE* f = utf8_fopen(path, "rb");
    if (!f) return false;
    const size_t got = fread(head, 1, sizeof head, f);
    fclose(f);
    return image_kind_of(head, got) != image_unknown;
}

#include "tools/pulvax-run/image_input.h"

#include <stdio.h>
#include <string.h>

#include <stb_image.h>

#include "tools/pulvax-run/rgb_convert.h"
#include "tools/utf8/utf8_file.h"

bool load_image(const char* path, y4m_format& f, std::vector<uint8_t>& planes, std::string& error) {
    const std::string what = std::string("'") + path + "'";
    int w = 0, h = 0, n = 0;
    if (!stbi_info(path, &w, &h, &n)) {
        error = what + " is neither a YUV4MPEG2 stream nor a readable PNG, JPEG or BMP image (" +
                stbi_failure_reason() + ")";
        return false;
    }
    f = generated_format(w, h, chroma_444, "C444");
    if (!check_frame_size(f, error)) {
        error = what + ": " + error;
        return false;
    }
    unsigned char* rgb = stbi_load(path, &w, &h, &n, 3);
    if (!rgb || w != f.w || h != f.h) {
        error = what + ": cannot decode the image (" +
                (rgb ? std::string("size changed") : std::string(stbi_failure_reason())) + ")";
        stbi_image_free(rgb);
        return false;
    }
    planes.resize(frame_bytes(f));
    rgb_to_planes(f, rgb, planes.data());
    stbi_image_free(rgb);
    return true;
}

bool is_image(const char* path) {
    int w = 0, h = 0, n = 0;
    if (stbi_info(path, &w, &h, &n)) return true;
    unsigned char head[4] = {0};
    FILE* f = utf8_fopen(path, "rb");
    if (!f) return false;
    const size_t got = fread(head, 1, sizeof head, f);
    fclose(f);
    return (got >= 4 && memcmp(head, "\x89PNG", 4) == 0) || (got >= 3 && memcmp(head, "\xFF\xD8\xFF", 3) == 0) ||
           (got >= 2 && memcmp(head, "BM", 2) == 0);
}

// libFuzzer target (clang, configure preset "fuzz"): any bytes as an image
// file, through the checks and the decoder that pulvax-run reads PNG, JPEG
// and BMP files with, under AddressSanitizer and UndefinedBehaviorSanitizer.
//   cmake --preset fuzz && cmake --build build/fuzz --target pulvax_image_fuzz
//   build/fuzz/tools/pulvax-run/test/pulvax_image_fuzz -max_total_time=60 tools/pulvax-run/test/image_corpus
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "tools/pulvax-run/image_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    y4m_format f;
    std::vector<uint8_t> planes;
    std::string error;
    if (!decode_image(data, size, f, planes, error)) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    std::string size_error;
    if (!check_frame_size(f, size_error) || planes.size() != frame_bytes(f)) __builtin_trap();
    return 0;
}

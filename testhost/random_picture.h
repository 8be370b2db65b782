// Pseudo-random pictures for tests and benchmarks: the same seed gives the
// same samples on every platform, over the full 16-bit range.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "host/filter_api.h"

// Fills count pixels in order (y, cb, cr of each) from the seed.
inline void fill_random_pixels(PIXEL_YC* pixels, size_t count, unsigned seed) {
    unsigned s = seed * 2654435761u + 1;
    for (size_t i = 0; i < count; i++) {
        int16_t* samples[3] = {&pixels[i].y, &pixels[i].cb, &pixels[i].cr};
        for (int16_t* c : samples) {
            s = s * 1664525u + 1013904223u;
            *c = static_cast<int16_t>(s >> 16);
        }
    }
}

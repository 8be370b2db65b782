// The structure of a PNG, JPEG or BMP file checked against its own bytes
// before the decoder (stb_image) sees it. The decoder trusts what a file
// declares: the counts of a JPEG's Huffman tables (more than 256 codes
// overrun its tables), the size of a BMP (missing rows read as black, a
// small file may declare a picture of a gigabyte), and it reads a cut file
// to its end as if the rest were zeros. Here every segment, chunk and row
// the file declares must lie inside the file, the picture data must end
// where the format says it ends, and the declared size must be one the tool
// takes and the data can fill.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

enum image_kind { image_unknown, image_png, image_jpeg, image_bmp };

// The kind that the first bytes claim (PNG signature, JPEG start marker,
// "BM"); image_unknown for anything else.
image_kind image_kind_of(const uint8_t* data, size_t size);

struct image_facts {
    image_kind kind = image_unknown;
    int w = 0, h = 0;  // as shown: a top-down BMP's height made positive
};

// Checks the whole file; false with a message (no file name) when it is not
// one the decoder may be given.
bool check_image(const uint8_t* data, size_t size, image_facts& facts, std::string& error);

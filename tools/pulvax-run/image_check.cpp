#include "tools/pulvax-run/image_check.h"

#include <string.h>

#include "tools/pulvax-run/y4m.h"

static uint32_t be16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) << 8 | p[1]; }
static uint32_t be32(const uint8_t* p) { return be16(p) << 16 | be16(p + 2); }
static uint32_t le16(const uint8_t* p) { return static_cast<uint32_t>(p[1]) << 8 | p[0]; }
static uint32_t le32(const uint8_t* p) { return le16(p + 2) << 16 | le16(p); }

static const char cut_short[] = " (the file is cut short?)";

image_kind image_kind_of(const uint8_t* data, size_t size) {
    if (size >= 8 && memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) return image_png;
    if (size >= 3 && memcmp(data, "\xFF\xD8\xFF", 3) == 0) return image_jpeg;
    if (size >= 2 && memcmp(data, "BM", 2) == 0) return image_bmp;
    return image_unknown;
}

// The declared size, within the tool's limits.
static bool take_size(image_facts& facts, long long w, long long h, std::string& error) {
    const long long side_cap = 1LL << 30;  // shown as declared, kept in an int
    facts.w = static_cast<int>(w < side_cap ? w : side_cap);
    facts.h = static_cast<int>(h < side_cap ? h : side_cap);
    return check_frame_size(generated_format(facts.w, facts.h, chroma_444, "C444"), error);
}

static std::string too_little(const char* kind, const image_facts& facts) {
    return std::string("the ") + kind + " holds far too little picture data for its size " +
           std::to_string(facts.w) + "x" + std::to_string(facts.h) + " (a damaged file)";
}

// Chunks of 4 length bytes, 4 type bytes, the data and a 4-byte CRC, from the
// header (IHDR) to the end chunk (IEND).
static bool check_png(const uint8_t* data, size_t size, image_facts& facts, std::string& error) {
    if (size < 8 + 8 + 13 + 4 || be32(data + 8) != 13 || memcmp(data + 12, "IHDR", 4) != 0) {
        error = "the PNG has no complete header (IHDR)";
        return false;
    }
    if (!take_size(facts, be32(data + 16), be32(data + 20), error)) return false;
    static const int channels[7] = {1, 0, 3, 1, 2, 0, 4};
    const int depth = data[24], type = data[25];
    const int bits = (type < 7 ? channels[type] : 0) * depth;
    unsigned long long compressed = 0;
    size_t pos = 8;
    for (;;) {
        if (size - pos < 12 || be32(data + pos) > size - pos - 12) {
            error = std::string("the PNG ends before its end chunk (IEND)") + cut_short;
            return false;
        }
        const uint32_t length = be32(data + pos);
        const uint8_t* type_name = data + pos + 4;
        if (memcmp(type_name, "IDAT", 4) == 0) compressed += length;
        pos += 12 + static_cast<size_t>(length);
        if (memcmp(type_name, "IEND", 4) == 0) break;
    }
    if (compressed == 0) {
        error = "the PNG holds no picture data (IDAT)";
        return false;
    }
    // Deflate packs at most 1032 bytes into one; the zlib stream has a few
    // bytes of its own.
    const unsigned long long pixel_bytes = static_cast<unsigned long long>(facts.w) * facts.h * bits / 8;
    if (compressed * 1032 + 1024 < pixel_bytes) {
        error = too_little("PNG", facts);
        return false;
    }
    return true;
}

// Huffman tables: a class and number byte, 16 counts of codes by length, and
// that many code values. The decoder keeps 256 values a table.
static bool check_jpeg_dht(const uint8_t* seg, size_t n, std::string& error) {
    size_t q = 0;
    while (q < n) {
        if (n - q < 17) {
            error = "a Huffman table segment (DHT) of the JPEG is shorter than its table";
            return false;
        }
        size_t codes = 0;
        for (int i = 1; i <= 16; i++) codes += seg[q + i];
        if (codes > 256) {
            error = "a Huffman table (DHT) of the JPEG declares " + std::to_string(codes) +
                    " codes, more than the 256 a table holds (a damaged file)";
            return false;
        }
        if (n - q - 17 < codes) {
            error = "a Huffman table segment (DHT) of the JPEG is shorter than its table";
            return false;
        }
        q += 17 + codes;
    }
    return true;
}

// Quantisation tables: a precision and number byte, 64 values of 1 or 2 bytes.
static bool check_jpeg_dqt(const uint8_t* seg, size_t n, std::string& error) {
    size_t q = 0;
    while (q < n) {
        const size_t table = 1 + 64 * ((seg[q] >> 4) ? 2 : 1);
        if (n - q < table) {
            error = "a quantisation table segment (DQT) of the JPEG is shorter than its table";
            return false;
        }
        q += table;
    }
    return true;
}

// The entropy-coded data after a scan header, up to the next marker (a 0xFF
// byte followed by neither a stuffed 0 nor a restart marker); false when the
// file ends first.
static bool skip_jpeg_scan(const uint8_t* data, size_t size, size_t& pos) {
    while (pos + 1 < size) {
        if (data[pos] != 0xFF) {
            pos++;
            continue;
        }
        const uint8_t next = data[pos + 1];
        if (next == 0xFF) {
            pos++;
        } else if (next == 0 || (next >= 0xD0 && next <= 0xD7)) {
            pos += 2;
        } else {
            return true;
        }
    }
    return false;
}

static bool is_jpeg_frame_header(int m) {
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// Segments from the start marker to the end marker (EOI), each inside the
// file, the tables within the counts the decoder keeps, and every scan's data
// ending in a marker.
static bool check_jpeg(const uint8_t* data, size_t size, image_facts& facts, std::string& error) {
    bool have_frame = false, have_scan = false;
    unsigned long long scan_bytes = 0;
    size_t pos = 2;
    for (;;) {
        const size_t marker = pos;
        while (pos < size && data[pos] == 0xFF) pos++;
        if (pos >= size) {
            error = std::string("the JPEG ends before its end marker (EOI)") + cut_short;
            return false;
        }
        if (pos == marker) {
            error = "the JPEG has stray bytes where a marker belongs (a damaged file)";
            return false;
        }
        const int m = data[pos++];
        if (m == 0xD9) break;
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) continue;  // markers without a segment
        if (size - pos < 2 || be16(data + pos) > size - pos) {
            error = std::string("the JPEG ends inside a segment") + cut_short;
            return false;
        }
        const size_t length = be16(data + pos);
        if (length < 2) {
            error = "a segment of the JPEG declares a length below 2 (a damaged file)";
            return false;
        }
        const uint8_t* seg = data + pos + 2;
        const size_t n = length - 2;
        pos += length;
        if (m == 0xC4 && !check_jpeg_dht(seg, n, error)) return false;
        if (m == 0xDB && !check_jpeg_dqt(seg, n, error)) return false;
        if (is_jpeg_frame_header(m) && !have_frame) {
            if (n < 6 || n < 6 + 3 * static_cast<size_t>(seg[5])) {
                error = "the frame header (SOF) of the JPEG is shorter than its components";
                return false;
            }
            if (!take_size(facts, be16(seg + 3), be16(seg + 1), error)) return false;
            have_frame = true;
        }
        if (m == 0xDA) {
            if (!have_frame) {
                error = "the JPEG has picture data before its frame header (a damaged file)";
                return false;
            }
            const size_t start = pos;
            if (!skip_jpeg_scan(data, size, pos)) {
                error = std::string("the JPEG's picture data stops early") + cut_short;
                return false;
            }
            scan_bytes += pos - start;
            have_scan = true;
        }
    }
    if (!have_frame || !have_scan) {
        error = std::string("the JPEG has no ") + (have_frame ? "picture data (SOS)" : "frame header (SOF)");
        return false;
    }
    // Every 8x8 block takes at least a bit or two; a block of the largest
    // sampled component is at most 32 pixels wide and high.
    const unsigned long long blocks =
        static_cast<unsigned long long>((facts.w + 7) / 8) * static_cast<unsigned long long>((facts.h + 7) / 8);
    if (scan_bytes * 64 + 64 < blocks) {
        error = too_little("JPEG", facts);
        return false;
    }
    return true;
}

// A file header (14 bytes: "BM", sizes, the offset of the pixels), an
// information header of 12 to 124 bytes, a palette, then the rows, each
// padded to 4 bytes, bottom-up (top-down when the height is negative).
static bool check_bmp(const uint8_t* data, size_t size, image_facts& facts, std::string& error) {
    if (size < 18) {
        error = std::string("the BMP ends inside its header") + cut_short;
        return false;
    }
    const uint32_t offset = le32(data + 10), header = le32(data + 14);
    if (header != 12 && header != 40 && header != 56 && header != 108 && header != 124) {
        error = "the BMP has an information header of " + std::to_string(header) +
                " bytes, which is none of the kinds read (12, 40, 56, 108, 124)";
        return false;
    }
    if (size < 14 + header) {
        error = std::string("the BMP ends inside its header") + cut_short;
        return false;
    }
    long long w, h;
    int bits, compression = 0;
    if (header == 12) {
        w = le16(data + 18);
        h = le16(data + 20);
        bits = static_cast<int>(le16(data + 24));
    } else {
        w = static_cast<int32_t>(le32(data + 18));
        h = static_cast<int32_t>(le32(data + 22));
        bits = static_cast<int>(le16(data + 28));
        compression = static_cast<int>(le32(data + 30));
    }
    if (h < 0) h = -h;  // top-down rows
    if (!take_size(facts, w, h, error)) return false;
    if (compression != 0 && compression != 3) {
        error = "the BMP is compressed (method " + std::to_string(compression) +
                "); only uncompressed BMPs are read";
        return false;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        error = "the BMP has " + std::to_string(bits) + " bits a pixel; 1, 4, 8, 16, 24 and 32 are read";
        return false;
    }
    const unsigned long long row_bits = static_cast<unsigned long long>(facts.w) * bits;
    const unsigned long long stride = (row_bits + 31) / 32 * 4;
    // The last row may go without its padding.
    const unsigned long long end = offset + stride * (facts.h - 1) + (row_bits + 7) / 8;
    if (offset < 14 + header || end > size) {
        error = std::string("the BMP ends before its last row of pixels") + cut_short;
        return false;
    }
    return true;
}

bool check_image(const uint8_t* data, size_t size, image_facts& facts, std::string& error) {
    facts = image_facts();
    facts.kind = image_kind_of(data, size);
    switch (facts.kind) {
        case image_png: return check_png(data, size, facts, error);
        case image_jpeg: return check_jpeg(data, size, facts, error);
        case image_bmp: return check_bmp(data, size, facts, error);
        case image_unknown: break;
    }
    error = "not a PNG, JPEG or BMP image";
    return false;
}

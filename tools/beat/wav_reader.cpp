#include "tools/beat/wav_reader.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <cmath>

namespace {

enum : unsigned {
    format_pcm = 1,
    format_float = 3,
    format_extensible = 0xFFFE,
};

// Declared size of a data chunk written by a streaming encoder that could not
// seek back: the data runs to the end of the file.
const uint32_t size_unknown = 0xFFFFFFFFu;

uint32_t read_u16(const unsigned char* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

uint32_t read_u32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct wav_format {
    unsigned code = 0;  // format_pcm or format_float after resolving the extensible form
    unsigned channels = 0;
    uint32_t rate = 0;
    unsigned block_align = 0;
    unsigned bits = 0;
};

// The GUID tail shared by the KSDATAFORMAT_SUBTYPE_* formats; the first two
// bytes hold the plain format code.
const unsigned char subformat_tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                          0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool parse_format(const unsigned char* p, uint32_t size, wav_format& f, std::string& error) {
    if (size < 16) {
        error = "truncated fmt chunk (" + std::to_string(size) + " bytes, at least 16 needed)";
        return false;
    }
    f.code = read_u16(p);
    f.channels = read_u16(p + 2);
    f.rate = read_u32(p + 4);
    f.block_align = read_u16(p + 12);
    f.bits = read_u16(p + 14);
    if (f.code == format_extensible) {
        if (size < 40) {
            error = "truncated WAVE_FORMAT_EXTENSIBLE fmt chunk (" + std::to_string(size) +
                    " bytes, 40 needed)";
            return false;
        }
        if (memcmp(p + 26, subformat_tail, sizeof subformat_tail) != 0) {
            error = "unknown WAVE_FORMAT_EXTENSIBLE sub-format";
            return false;
        }
        // The container size stays in bits; valid bits (p + 18) only says how
        // many of them carry sound, which the conversion need not know.
        f.code = read_u16(p + 24);
    }
    if (f.code != format_pcm && f.code != format_float) {
        char text[80];
        snprintf(text, sizeof text, "unknown sample format 0x%04X (PCM or IEEE float only)", f.code);
        error = text;
        return false;
    }
    if (f.channels == 0) {
        error = "zero channels";
        return false;
    }
    if (f.rate == 0) {
        error = "zero sample rate";
        return false;
    }
    if (f.rate > 1000000) {
        error = "sample rate " + std::to_string(f.rate) + " out of range (at most 1000000)";
        return false;
    }
    bool bits_ok = f.code == format_pcm ? (f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32)
                                        : (f.bits == 32 || f.bits == 64);
    if (!bits_ok) {
        error = std::to_string(f.bits) + "-bit " + (f.code == format_pcm ? "PCM" : "float") +
                " samples are not supported";
        return false;
    }
    if (f.block_align != f.channels * (f.bits / 8)) {
        error = "block align " + std::to_string(f.block_align) + " does not match " +
                std::to_string(f.channels) + " channels of " + std::to_string(f.bits) + " bits";
        return false;
    }
    return true;
}

// One sample at p, as a float in -1..1.
float sample_value(const unsigned char* p, const wav_format& f) {
    if (f.code == format_float) {
        if (f.bits == 32) {
            uint32_t u = read_u32(p);
            float v;
            memcpy(&v, &u, sizeof v);
            return v;
        }
        uint64_t u = uint64_t(read_u32(p)) | uint64_t(read_u32(p + 4)) << 32;
        double v;
        memcpy(&v, &u, sizeof v);
        return float(v);
    }
    switch (f.bits) {
    case 8:
        return float((int(p[0]) - 128) / 128.0);
    case 16:
        return float(int16_t(read_u16(p)) / 32768.0);
    case 24: {
        int32_t v = int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) / 256;
        return float(v / 8388608.0);
    }
    default:
        return float(int32_t(read_u32(p)) / 2147483648.0);
    }
}

}  // namespace

bool looks_like_wav(const unsigned char* data, size_t size) {
    return size >= 12 && memcmp(data, "RIFF", 4) == 0 && memcmp(data + 8, "WAVE", 4) == 0;
}

bool read_wav(const unsigned char* data, size_t size, audio_samples& out, std::string& error) {
    out = audio_samples();
    if (!looks_like_wav(data, size)) {
        error = size < 12 ? "truncated: not even a RIFF header" : "not a RIFF/WAVE file";
        return false;
    }
    wav_format format;
    bool have_format = false;
    size_t pos = 12;
    while (true) {
        if (size - pos < 8) {
            error = have_format ? "no data chunk" : "no fmt chunk";
            if (size != pos) error = "truncated chunk header (" + error + ")";
            return false;
        }
        const unsigned char* header = data + pos;
        uint32_t chunk_size = read_u32(header + 4);
        pos += 8;
        size_t available = size - pos;
        if (memcmp(header, "fmt ", 4) == 0) {
            if (chunk_size > available) {
                error = "truncated fmt chunk";
                return false;
            }
            if (!parse_format(data + pos, chunk_size, format, error)) return false;
            have_format = true;
        } else if (memcmp(header, "data", 4) == 0) {
            if (!have_format) {
                error = "data chunk before the fmt chunk";
                return false;
            }
            size_t bytes = chunk_size;
            if (chunk_size == size_unknown) {
                bytes = available;
            } else if (bytes > available) {
                error = "truncated: data chunk declares " + std::to_string(chunk_size) +
                        " bytes, the file holds " + std::to_string(available);
                return false;
            }
            size_t frames = bytes / format.block_align;
            if (frames == 0) {
                error = "no samples in the data chunk";
                return false;
            }
            const unsigned char* p = data + pos;
            unsigned width = format.bits / 8;
            out.samples.resize(frames);
            for (size_t i = 0; i < frames; ++i) {
                double sum = 0;
                for (unsigned c = 0; c < format.channels; ++c) sum += sample_value(p + c * width, format);
                if (!std::isfinite(sum)) {
                    out.samples.clear();
                    error = "float sample that is not a finite number in frame " + std::to_string(i);
                    return false;
                }
                out.samples[i] = float(sum / format.channels);
                p += format.block_align;
            }
            out.rate = int(format.rate);
            return true;
        }
        // Chunks are padded to an even size; the pad byte of the last chunk
        // may be missing.
        size_t skip = size_t(chunk_size) + (chunk_size & 1u);
        if (skip > available) {
            error = have_format ? "truncated before the data chunk" : "truncated before the fmt chunk";
            return false;
        }
        pos += skip;
    }
}

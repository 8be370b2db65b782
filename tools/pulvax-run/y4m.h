// YUV4MPEG2 streams as ffmpeg writes them: the stream header, and frames of
// planar YCbCr, 4:2:0, 4:2:2, 4:4:4, 4:1:1 or luma alone (mono), with 8-bit
// samples or, for 9 to 16 bits, 16-bit little-endian ones; any size (the
// chroma planes' sizes rounded up), progressive or interlaced.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

enum y4m_chroma { chroma_420, chroma_422, chroma_444, chroma_411, chroma_mono };

// Largest picture accepted: each side and the whole area.
enum { y4m_max_side = 16384 };
static const long long y4m_max_area = 40000000LL;

struct y4m_format {
    int w = 0;
    int h = 0;
    int rate = 0;   // frames per second = rate / scale
    int scale = 0;
    y4m_chroma chroma = chroma_420;
    int depth = 8;            // bits per sample, 8 to 16
    bool full_range = false;  // XCOLORRANGE=FULL: samples use the whole range
    char interlace = 'p';     // the I tag: p, t, b, m (or ? when unknown)
    // Every header tag other than W, H and F, verbatim and in order (I, A, C, X...).
    std::vector<std::string> tags;
};

// A w x h progressive stream at 30 frames per second with square pixels and
// the chroma tag given (such as "C444"): what stills and the built-in clip are.
y4m_format generated_format(int w, int h, y4m_chroma chroma, const char* chroma_tag);

// Horizontal and vertical subsampling of the chroma planes, as shifts.
int chroma_shift_x(const y4m_format& f);
int chroma_shift_y(const y4m_format& f);
// Size of a chroma plane in samples (0 for mono), rounded up.
int chroma_width(const y4m_format& f);
int chroma_height(const y4m_format& f);
int sample_bytes(const y4m_format& f);    // 1 for 8-bit, 2 for deeper samples
size_t frame_bytes(const y4m_format& f);  // Y plane, then Cb, then Cr

// Checks the size against the limits; false with a message for zero or too
// large sizes.
bool check_frame_size(const y4m_format& f, std::string& error);

// The layout and depth of a C tag's value ("420jpeg", "422p10", "mono16");
// false for one the tool does not take.
bool parse_chroma_tag(const std::string& value, y4m_chroma& chroma, int& depth);

// Parses a header line (without its newline). False with a message for a
// malformed header or a layout the tool does not take.
bool parse_y4m_header(const std::string& line, y4m_format& f, std::string& error);

// The header line for f, newline included.
std::string y4m_header_text(const y4m_format& f);

// Reads the header line of a stream. consumed: the first bytes of the line,
// already read from in (such as the magic, read to tell the kind of input).
bool read_y4m_header(FILE* in, y4m_format& f, std::string& error, const std::string& consumed = "");

// Reads one frame (the FRAME line and frame_bytes(f) bytes) into data.
// Returns 1 for a frame, 0 at a clean end of the stream, -1 with a message for a
// truncated or malformed frame. index is the frame's number, for the message.
int read_y4m_frame(FILE* in, const y4m_format& f, int index, std::vector<uint8_t>& data,
                   std::string& error);

// Writes one frame; false when the write fails.
bool write_y4m_frame(FILE* out, const y4m_format& f, const std::vector<uint8_t>& data);

// Where the frames come from: a YUV4MPEG2 stream, a still image repeated, or
// the built-in clip.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tools/pulvax-run/media_file.h"
#include "tools/pulvax-run/y4m.h"

enum source_kind { source_stream, source_image, source_clip, source_media };

struct frame_source {
    source_kind kind = source_clip;
    FILE* file = nullptr;
    bool owns_file = false;
    std::string name;  // for messages
    y4m_format format;
    std::vector<uint8_t> still;  // the image's frame
    int limit = -1;              // frames to deliver, -1 for the whole stream
    int next = 0;                // number of the next frame
    media_input* media = nullptr;  // a video file (builds with FFmpeg)
    long long pts = 0;             // the last frame's timestamp (video files), else its number
    long long total = -1;          // frames expected, or -1 when unknown
};

// Opens input ("" for the built-in clip, "-" for standard input): a
// YUV4MPEG2 stream, else a still image, else (builds with FFmpeg) a video
// file. frames is --frames or -1. False with a message for an input that
// cannot be used.
bool open_source(frame_source& source, const std::string& input, int frames, std::string& error);

// The next frame's planes. 1 for a frame, 0 at the end, -1 with a message.
int next_frame(frame_source& source, std::vector<uint8_t>& planes, std::string& error);

void close_source(frame_source& source);

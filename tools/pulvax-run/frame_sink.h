// Where the filtered frames go: a YUV4MPEG2 stream (a file or standard
// output), or a video file written through FFmpeg (builds with FFmpeg).
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tools/pulvax-run/frame_source.h"
#include "tools/pulvax-run/media_file.h"
#include "tools/pulvax-run/y4m.h"

enum sink_kind { sink_none, sink_y4m, sink_media };

struct frame_sink {
    sink_kind kind = sink_none;
    FILE* file = nullptr;
    bool owns_file = false;
    std::string name;  // for messages
    media_output* media = nullptr;
};

// Whether OUTPUT names a video file: a name with an extension other than
// .y4m. "-", *.y4m and names without an extension (/dev/full, a named
// pipe) take YUV4MPEG2.
bool is_video_file_name(const std::string& path);

// Whether this build writes video files.
bool can_write_video_files();

// Opens path ("" for none) for frames in f; a video file gets the audio
// streams of source's video file, if it is one.
bool open_sink(frame_sink& sink, const std::string& path, const y4m_format& f, frame_source& source,
               const media_settings& settings, std::string& error);

// One frame; pts in the source's terms (frame_source::pts).
bool sink_frame(frame_sink& sink, const y4m_format& f, const std::vector<uint8_t>& planes, long long pts,
                std::string& error);

// Finishes the output (a video file's trailer); false with a message.
bool close_sink(frame_sink& sink, std::string& error);

// After a fault elsewhere: the frames written so far are kept in a finished
// file, or the file is removed.
void abort_sink(frame_sink& sink);

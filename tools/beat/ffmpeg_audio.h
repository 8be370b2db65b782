// Any audio or video file through the FFmpeg libraries (Linux builds with
// libavformat and libavcodec).
#pragma once

#include <string>

#include "tools/beat/audio_samples.h"

// Decodes the first audio stream to mono float. Where the file has a video
// stream (not cover art), start_s becomes the time of the first decoded
// sample less the video stream's start time, so beat times land on the
// video's timeline, and video_fps_* its frame rate; without one, start_s is 0.
// False with a one-line message naming the file.
bool read_audio_file(const char* path, audio_samples& out, std::string& error);

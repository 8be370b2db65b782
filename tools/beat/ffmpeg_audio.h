// Any audio or video file through the FFmpeg libraries (Linux builds with
// libavformat and libavcodec).
#pragma once

#include <string>

#include "tools/beat/audio_samples.h"

// Decodes the first audio stream to mono float. start_s becomes the audio
// stream's start time less the presentation start (the video stream's start
// time where there is a video stream, else the audio's own), so beat times
// land on the video's timeline; video_fps_* the video stream's frame rate.
// False with a one-line message naming the file.
bool read_audio_file(const char* path, audio_samples& out, std::string& error);

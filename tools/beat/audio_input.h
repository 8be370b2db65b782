// Sound from a file: WAV read by the tool itself, anything else through the
// FFmpeg libraries where the build has them (PULVAX_BEAT_FFMPEG).
#pragma once

#include <string>
#include <vector>

#include "tools/beat/audio_samples.h"

// Reads a whole file into memory. False with a one-line message on failure.
bool read_file_bytes(const char* path, std::vector<unsigned char>& bytes, std::string& error);

// The sound of a WAV file, or of any audio or video file FFmpeg can open. False
// with a one-line message naming the file.
bool read_audio(const char* path, audio_samples& out, std::string& error);

// RIFF/WAVE files: PCM (8, 16, 24, 32 bits), IEEE float (32, 64 bits), plain
// or WAVE_FORMAT_EXTENSIBLE, any rate and channel count (mixed to mono).
#pragma once

#include <stddef.h>

#include <string>

#include "tools/beat/audio_samples.h"

// Parses a whole WAV file held in memory. Every read is checked against size.
// False with a one-line message (truncated, unknown format, zero channels,
// zero rate...) and out left empty.
bool read_wav(const unsigned char* data, size_t size, audio_samples& out, std::string& error);

// True when the bytes begin like a WAV file ("RIFF" .... "WAVE").
bool looks_like_wav(const unsigned char* data, size_t size);

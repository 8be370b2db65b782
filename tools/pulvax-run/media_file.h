// Video files through the system's FFmpeg libraries (Linux builds only, where
// PULVAX_HAVE_FFMPEG is defined): decoding any container and codec they read,
// and encoding with the audio streams copied packet for packet.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "tools/pulvax-run/y4m.h"

struct media_input;
struct media_output;

struct media_settings {
    std::string codec;  // encoder name, or empty for the default
    int crf = -1;       // quality, or -1 for the default (18)
};

// Why a file did not open as a video file.
enum media_open_failure {
    media_not_video,  // the libraries read no container in it ("FFmpeg: " and their words)
    media_unusable,   // a file they read whose video the tool cannot take (the message says why)
};

// Opens the file's first video stream. f gets its size, layout, depth, range,
// nominal frame rate and the header tags a YUV4MPEG2 copy would carry;
// total_frames an estimate of its frames, or -1. Null with a message and
// the kind of failure.
media_input* media_open_input(const std::string& path, y4m_format& f, long long& total_frames,
                              media_open_failure& failure, std::string& error);

// Number of audio streams the input has.
int media_audio_streams(const media_input* in);

// The next frame as planes in f's layout, and its timestamp in the video
// stream's time base. Audio packets read on the way go to the output given to
// media_open_output, if any. 1 for a frame, 0 at the end, -1 with a message.
int media_read_frame(media_input* in, std::vector<uint8_t>& planes, long long& pts, std::string& error);

void media_close_input(media_input* in);

// Creates path: one video stream encoded from frames in f's layout, and
// when audio_from is given its audio streams copied, its timestamps, rotation
// and colour tags kept. Null with a message.
media_output* media_open_output(const std::string& path, const y4m_format& f, media_input* audio_from,
                                const media_settings& settings, std::string& error);

// The encoder's name, for messages.
std::string media_encoder_name(const media_output* out);

// Encodes one frame. pts in the input video stream's time base (or, without
// an input file, the frame's number at f's rate).
bool media_write_frame(media_output* out, const std::vector<uint8_t>& planes, long long pts,
                       std::string& error);

// Drains the encoder, writes the trailer and closes the file. False with a
// message; the output is then removed.
bool media_finish_output(media_output* out, std::string& error);

// What media_input.cpp and media_output.cpp share: the records behind the
// handles of media_file.h and the mapping between the tool's layouts and
// FFmpeg's pixel formats.
#pragma once

#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include "tools/pulvax-run/media_file.h"

struct media_input {
    AVFormatContext* fmt = nullptr;
    AVCodecContext* dec = nullptr;
    AVPacket* pkt = nullptr;
    AVFrame* frame = nullptr;
    AVFrame* converted = nullptr;  // the frame in planes_fmt, where the decoder's differs
    SwsContext* sws = nullptr;
    int video = -1;                // stream index
    AVPixelFormat planes_fmt = AV_PIX_FMT_NONE;
    y4m_format format;
    media_output* audio_to = nullptr;
    int frames = 0;
    long long last_pts = 0;
    long long frame_ticks = 1;  // one frame at the nominal rate, in the stream's time base
    std::string name;           // 'path', for messages
};

struct media_output {
    AVFormatContext* fmt = nullptr;
    AVCodecContext* enc = nullptr;
    AVStream* video_st = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* pkt = nullptr;
    SwsContext* sws = nullptr;
    AVPixelFormat planes_fmt = AV_PIX_FMT_NONE;
    std::vector<int> audio_map;  // input stream index -> output stream index, or -1
    media_input* from = nullptr;  // whose audio is copied
    y4m_format format;
    std::string path;
    bool header_written = false;
    bool removable = false;  // a regular file the tool created or replaces
};

// FFmpeg's planar format for f's layout and depth; AV_PIX_FMT_NONE if none.
AVPixelFormat pixel_format_of(const y4m_format& f);

// The layout and depth of a pixel format the tool takes directly; false for
// others. Full-range (yuvj) formats set full.
bool layout_of_pixel_format(AVPixelFormat p, y4m_chroma& chroma, int& depth, bool& full);

std::string av_error_text(int err);

// Routes the libraries' log to the tool: nothing is printed, and the first
// error they report since the last call of take_library_error is kept.
void quiet_library_log();
// That error ("" if none), cleared.
std::string take_library_error();

// Copies an audio packet of the input to the output, if that stream is copied.
bool write_audio_packet(media_output* out, AVPacket* pkt, const AVStream* in_st, std::string& error);

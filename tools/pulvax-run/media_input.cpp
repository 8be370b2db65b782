// Reading video files through libavformat and libavcodec.
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <mutex>

#include "tools/pulvax-run/media_internal.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

static const struct {
    y4m_chroma chroma;
    int depth;
    AVPixelFormat fmt;
} pixel_formats[] = {
    {chroma_420, 8, AV_PIX_FMT_YUV420P},       {chroma_420, 9, AV_PIX_FMT_YUV420P9LE},
    {chroma_420, 10, AV_PIX_FMT_YUV420P10LE},  {chroma_420, 12, AV_PIX_FMT_YUV420P12LE},
    {chroma_420, 14, AV_PIX_FMT_YUV420P14LE},  {chroma_420, 16, AV_PIX_FMT_YUV420P16LE},
    {chroma_422, 8, AV_PIX_FMT_YUV422P},       {chroma_422, 9, AV_PIX_FMT_YUV422P9LE},
    {chroma_422, 10, AV_PIX_FMT_YUV422P10LE},  {chroma_422, 12, AV_PIX_FMT_YUV422P12LE},
    {chroma_422, 14, AV_PIX_FMT_YUV422P14LE},  {chroma_422, 16, AV_PIX_FMT_YUV422P16LE},
    {chroma_444, 8, AV_PIX_FMT_YUV444P},       {chroma_444, 9, AV_PIX_FMT_YUV444P9LE},
    {chroma_444, 10, AV_PIX_FMT_YUV444P10LE},  {chroma_444, 12, AV_PIX_FMT_YUV444P12LE},
    {chroma_444, 14, AV_PIX_FMT_YUV444P14LE},  {chroma_444, 16, AV_PIX_FMT_YUV444P16LE},
    {chroma_411, 8, AV_PIX_FMT_YUV411P},       {chroma_mono, 8, AV_PIX_FMT_GRAY8},
    {chroma_mono, 9, AV_PIX_FMT_GRAY9LE},      {chroma_mono, 10, AV_PIX_FMT_GRAY10LE},
    {chroma_mono, 12, AV_PIX_FMT_GRAY12LE},    {chroma_mono, 14, AV_PIX_FMT_GRAY14LE},
    {chroma_mono, 16, AV_PIX_FMT_GRAY16LE},
};

AVPixelFormat pixel_format_of(const y4m_format& f) {
    for (const auto& p : pixel_formats) {
        if (p.chroma == f.chroma && p.depth == f.depth) return p.fmt;
    }
    return AV_PIX_FMT_NONE;
}

bool layout_of_pixel_format(AVPixelFormat fmt, y4m_chroma& chroma, int& depth, bool& full) {
    full = fmt == AV_PIX_FMT_YUVJ420P || fmt == AV_PIX_FMT_YUVJ422P || fmt == AV_PIX_FMT_YUVJ444P;
    if (fmt == AV_PIX_FMT_YUVJ420P) fmt = AV_PIX_FMT_YUV420P;
    if (fmt == AV_PIX_FMT_YUVJ422P) fmt = AV_PIX_FMT_YUV422P;
    if (fmt == AV_PIX_FMT_YUVJ444P) fmt = AV_PIX_FMT_YUV444P;
    for (const auto& p : pixel_formats) {
        if (p.fmt != fmt) continue;
        chroma = p.chroma;
        depth = p.depth;
        return true;
    }
    return false;
}

std::string av_error_text(int err) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(err, text, sizeof text);
    return text;
}

static std::mutex library_error_lock;  // decoders log from their own threads
static std::string library_error;

static void keep_library_error(void*, int level, const char* format, va_list args) {
    if (level > AV_LOG_ERROR) return;
    char text[512];
    vsnprintf(text, sizeof text, format, args);
    std::lock_guard<std::mutex> hold(library_error_lock);
    if (!library_error.empty()) return;
    library_error = text;
    while (!library_error.empty() && (library_error.back() == '\n' || library_error.back() == ' ')) {
        library_error.pop_back();
    }
}

void quiet_library_log() { av_log_set_callback(keep_library_error); }

std::string take_library_error() {
    std::lock_guard<std::mutex> hold(library_error_lock);
    std::string e;
    e.swap(library_error);
    return e;
}

// The layout the tool converts a pixel format it cannot take directly into:
// the same chroma subsampling where it has one (4:4:4 for RGB and others),
// and the depth rounded up to 8, 10, 12 or 16 bits.
static void nearest_layout(AVPixelFormat fmt, y4m_chroma& chroma, int& depth) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(fmt);
    const int bits = d ? d->comp[0].depth : 8;
    depth = bits <= 8 ? 8 : bits <= 10 ? 10 : bits <= 12 ? 12 : 16;
    chroma = chroma_444;
    if (!d || (d->flags & AV_PIX_FMT_FLAG_RGB)) return;
    if (d->nb_components <= 2) chroma = chroma_mono;
    else if (d->log2_chroma_w == 1 && d->log2_chroma_h == 1) chroma = chroma_420;
    else if (d->log2_chroma_w == 1 && d->log2_chroma_h == 0) chroma = chroma_422;
    else if (d->log2_chroma_w == 2 && d->log2_chroma_h == 0) chroma = chroma_411;
    if (chroma == chroma_411 && depth > 8) chroma = chroma_422;
}

// The C tag ffmpeg writes for a layout: 420jpeg/420mpeg2/420paldv by chroma
// siting for 8-bit 4:2:0, 420p10 and the like for deeper samples.
static std::string chroma_tag(const y4m_format& f, AVChromaLocation location) {
    static const char* const names[] = {"420", "422", "444", "411", "mono"};
    std::string tag = names[f.chroma];
    if (f.chroma == chroma_420 && f.depth == 8) {
        return tag + (location == AVCHROMA_LOC_TOPLEFT ? "paldv" : location == AVCHROMA_LOC_LEFT ? "mpeg2" : "jpeg");
    }
    if (f.depth == 8) return tag;
    return tag + (f.chroma == chroma_mono ? "" : "p") + std::to_string(f.depth);
}

static void fill_tags(media_input* in, const AVStream* st) {
    y4m_format& f = in->format;
    const AVCodecParameters* par = st->codecpar;
    const AVFieldOrder order = par->field_order;
    f.interlace = order == AV_FIELD_TT || order == AV_FIELD_TB ? 't'
                  : order == AV_FIELD_BB || order == AV_FIELD_BT ? 'b'
                                                                 : 'p';
    const AVRational sar = av_guess_sample_aspect_ratio(in->fmt, const_cast<AVStream*>(st), nullptr);
    f.tags = {std::string("I") + f.interlace,
              "A" + std::to_string(sar.num > 0 ? sar.num : 0) + ":" + std::to_string(sar.num > 0 ? sar.den : 0),
              "C" + chroma_tag(f, par->chroma_location),
              f.full_range ? "XCOLORRANGE=FULL" : "XCOLORRANGE=LIMITED"};
}

static bool open_decoder(media_input* in, std::string& error) {
    AVStream* st = in->fmt->streams[in->video];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec) {
        error = in->name + ": no decoder for its video codec (" +
                avcodec_get_name(st->codecpar->codec_id) + ")";
        return false;
    }
    in->dec = avcodec_alloc_context3(codec);
    if (!in->dec || avcodec_parameters_to_context(in->dec, st->codecpar) < 0) {
        error = in->name + ": cannot set up the " + codec->name + " decoder";
        return false;
    }
    in->dec->pkt_timebase = st->time_base;
    const int r = avcodec_open2(in->dec, codec, nullptr);
    if (r < 0) {
        error = in->name + ": cannot open the " + codec->name + " decoder: " + av_error_text(r);
        return false;
    }
    return true;
}

media_input* media_open_input(const std::string& path, y4m_format& f, long long& total_frames,
                              media_open_failure& failure, std::string& error) {
    failure = media_unusable;
    quiet_library_log();
    take_library_error();
    media_input* in = new media_input;
    in->name = "'" + path + "'";
    total_frames = -1;
    int r = avformat_open_input(&in->fmt, path.c_str(), nullptr, nullptr);
    // A container named by the file's extension alone (such as text read as
    // ANSI art) is not a video file.
    if (r >= 0 && in->fmt->probe_score <= AVPROBE_SCORE_EXTENSION) r = AVERROR_INVALIDDATA;
    if (r >= 0) r = avformat_find_stream_info(in->fmt, nullptr);
    if (r >= 0) r = av_find_best_stream(in->fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (r < 0) {
        const std::string why = take_library_error();
        if (r != AVERROR_STREAM_NOT_FOUND) failure = media_not_video;
        error = r == AVERROR_STREAM_NOT_FOUND ? in->name + " has no video stream"
                                              : "FFmpeg: " + (why.empty() ? av_error_text(r) : why);
        media_close_input(in);
        return nullptr;
    }
    in->video = r;
    AVStream* st = in->fmt->streams[in->video];
    if (!open_decoder(in, error)) {
        media_close_input(in);
        return nullptr;
    }
    in->format = y4m_format();
    y4m_format& g = in->format;
    g.w = in->dec->width;
    g.h = in->dec->height;
    if (!layout_of_pixel_format(in->dec->pix_fmt, g.chroma, g.depth, g.full_range)) {
        nearest_layout(in->dec->pix_fmt, g.chroma, g.depth);
    }
    if (in->dec->color_range == AVCOL_RANGE_JPEG) g.full_range = true;
    in->planes_fmt = pixel_format_of(g);
    if (in->dec->pix_fmt == AV_PIX_FMT_NONE || !check_frame_size(g, error)) {
        error = in->name + ": " + (in->dec->pix_fmt == AV_PIX_FMT_NONE ? "the video's picture format is unknown" : error);
        media_close_input(in);
        return nullptr;
    }
    AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = AVRational{0, 0};
    g.rate = rate.num;
    g.scale = rate.den;
    fill_tags(in, st);
    if (rate.num > 0) {
        in->frame_ticks = av_rescale_q(1, av_inv_q(rate), st->time_base);
        if (in->frame_ticks < 1) in->frame_ticks = 1;
    }
    if (st->nb_frames > 0) {
        total_frames = st->nb_frames;
    } else if (in->fmt->duration > 0 && rate.num > 0) {
        total_frames = av_rescale_q(in->fmt->duration, AVRational{1, AV_TIME_BASE}, av_inv_q(rate));
    }
    in->pkt = av_packet_alloc();
    in->frame = av_frame_alloc();
    in->converted = av_frame_alloc();
    if (!in->pkt || !in->frame || !in->converted) {
        error = "out of memory";
        media_close_input(in);
        return nullptr;
    }
    f = g;
    return in;
}

int media_audio_streams(const media_input* in) {
    int n = 0;
    for (unsigned i = 0; i < in->fmt->nb_streams; i++) {
        n += in->fmt->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
    }
    return n;
}

// The decoded frame into planes in the input's layout.
static bool take_frame(media_input* in, std::vector<uint8_t>& planes, std::string& error) {
    const AVFrame* fr = in->frame;
    const y4m_format& f = in->format;
    if (fr->width != f.w || fr->height != f.h) {
        error = in->name + ": the picture size changes at frame " + std::to_string(in->frames) + " (" +
                std::to_string(f.w) + "x" + std::to_string(f.h) + " to " + std::to_string(fr->width) + "x" +
                std::to_string(fr->height) + ")";
        return false;
    }
    const AVPixelFormat fmt = static_cast<AVPixelFormat>(fr->format);
    y4m_chroma chroma;
    int depth = 0;
    bool full = false;
    const bool direct =
        layout_of_pixel_format(fmt, chroma, depth, full) && chroma == f.chroma && depth == f.depth;
    const AVFrame* src = fr;
    if (!direct) {
        // Formats the tool does not take (semi-planar, RGB, alpha...) are
        // converted by libswscale, sample for sample, no scaling.
        in->sws = sws_getCachedContext(in->sws, f.w, f.h, fmt, f.w, f.h, in->planes_fmt,
                                       SWS_POINT | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, nullptr);
        av_frame_unref(in->converted);
        in->converted->format = in->planes_fmt;
        in->converted->width = f.w;
        in->converted->height = f.h;
        if (!in->sws || av_frame_get_buffer(in->converted, 0) < 0 ||
            sws_scale(in->sws, fr->data, fr->linesize, 0, f.h, in->converted->data, in->converted->linesize) != f.h) {
            error = in->name + ": cannot convert the picture format " +
                    (av_get_pix_fmt_name(fmt) ? av_get_pix_fmt_name(fmt) : "?");
            return false;
        }
        src = in->converted;
    }
    planes.resize(frame_bytes(f));
    const int r = av_image_copy_to_buffer(planes.data(), static_cast<int>(planes.size()), src->data,
                                          src->linesize, in->planes_fmt, f.w, f.h, 1);
    if (r < 0 || static_cast<size_t>(r) != planes.size()) {
        error = in->name + ": frame " + std::to_string(in->frames) + " has an unexpected layout";
        return false;
    }
    return true;
}

int media_read_frame(media_input* in, std::vector<uint8_t>& planes, long long& pts, std::string& error) {
    for (;;) {
        int r = avcodec_receive_frame(in->dec, in->frame);
        if (r == 0) {
            const bool ok = take_frame(in, planes, error);
            long long t = in->frame->best_effort_timestamp;
            av_frame_unref(in->frame);
            if (!ok) return -1;
            // Timestamps kept; a missing or repeated one continues the count.
            if (t == AV_NOPTS_VALUE) t = in->frames ? in->last_pts + in->frame_ticks : 0;
            if (in->frames && t <= in->last_pts) t = in->last_pts + 1;
            in->last_pts = pts = t;
            in->frames++;
            return 1;
        }
        if (r == AVERROR_EOF) {
            // A file cut short ends like a whole one, but the demuxer says so.
            const std::string why = take_library_error();
            if (why.empty() && in->frames > 0) return 0;
            error = why.empty() ? in->name + ": no frame of its video could be decoded"
                                : in->name + " is damaged: " + why +
                                      (in->frames ? " (seen by the end of frame " + std::to_string(in->frames - 1) + ")"
                                                  : std::string(" (before its first frame)"));
            return -1;
        }
        if (r != AVERROR(EAGAIN)) {
            error = in->name + ": cannot decode frame " + std::to_string(in->frames) + ": " + av_error_text(r);
            return -1;
        }
        r = av_read_frame(in->fmt, in->pkt);
        if (r == AVERROR_EOF) {
            avcodec_send_packet(in->dec, nullptr);
            continue;
        }
        if (r < 0) {
            error = in->name + ": cannot read after frame " + std::to_string(in->frames) + ": " + av_error_text(r);
            return -1;
        }
        if (in->pkt->stream_index == in->video) {
            r = avcodec_send_packet(in->dec, in->pkt);
            av_packet_unref(in->pkt);
            if (r < 0 && r != AVERROR(EAGAIN)) {
                error = in->name + ": cannot decode frame " + std::to_string(in->frames) + ": " + av_error_text(r);
                return -1;
            }
        } else {
            const bool ok = !in->audio_to ||
                            write_audio_packet(in->audio_to, in->pkt, in->fmt->streams[in->pkt->stream_index], error);
            av_packet_unref(in->pkt);
            if (!ok) return -1;
        }
    }
}

void media_close_input(media_input* in) {
    if (!in) return;
    sws_freeContext(in->sws);
    av_frame_free(&in->frame);
    av_frame_free(&in->converted);
    av_packet_free(&in->pkt);
    avcodec_free_context(&in->dec);
    avformat_close_input(&in->fmt);
    delete in;
}

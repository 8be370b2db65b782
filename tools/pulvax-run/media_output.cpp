// Writing video files through libavcodec and libavformat: the filtered video
// encoded, the input's audio streams copied packet for packet.
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "tools/pulvax-run/media_internal.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

enum { default_crf = 18 };

std::string media_encoder_name(const media_output* out) { return out->enc->codec->name; }

// "cannot write 'path': why", with the libraries' own word where they said one.
static std::string write_error(const media_output* out, int err) {
    const std::string why = take_library_error();
    return "cannot write '" + out->path + "': " + (why.empty() ? av_error_text(err) : why);
}

static bool container_holds(const AVOutputFormat* ofmt, AVCodecID id) {
    return avformat_query_codec(ofmt, id, FF_COMPLIANCE_NORMAL) == 1;
}

// The default encoder: x264 (High 10 for 10-bit samples), x265 for deeper
// samples, or the container's own where it cannot hold H.264 (WebM: VP9).
static const AVCodec* choose_encoder(const media_output* out, const media_settings& s, std::string& error) {
    const AVOutputFormat* ofmt = out->fmt->oformat;
    const AVCodec* codec = nullptr;
    if (!s.codec.empty()) {
        codec = avcodec_find_encoder_by_name(s.codec.c_str());
        if (!codec || codec->type != AVMEDIA_TYPE_VIDEO) {
            error = "no video encoder '" + s.codec + "' in this FFmpeg ('ffmpeg -encoders' lists them)";
            return nullptr;
        }
    } else {
        codec = avcodec_find_encoder_by_name(out->format.depth > 10 ? "libx265" : "libx264");
        if (!codec || !container_holds(ofmt, codec->id)) codec = avcodec_find_encoder(ofmt->video_codec);
        if (!codec) {
            error = "no encoder for the video of '" + out->path + "'; give --codec";
            return nullptr;
        }
    }
    if (avformat_query_codec(ofmt, codec->id, FF_COMPLIANCE_NORMAL) == 0) {
        error = "'" + out->path + "' (" + ofmt->name + ") cannot hold " + codec->name + " video";
        return nullptr;
    }
    return codec;
}

// The encoder's pixel format: the planes' own where it takes it, else the
// nearest it has.
static AVPixelFormat encoder_pixel_format(const AVCodec* codec, AVPixelFormat planes_fmt) {
    if (!codec->pix_fmts) return planes_fmt;
    for (const AVPixelFormat* p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; p++) {
        if (*p == planes_fmt) return planes_fmt;
    }
    return avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, planes_fmt, 0, nullptr);
}

// The pixel aspect of an A tag, 0:0 where it has none.
static AVRational tag_aspect(const y4m_format& f) {
    for (const std::string& t : f.tags) {
        int n = 0, d = 0;
        if (t[0] == 'A' && sscanf(t.c_str() + 1, "%d:%d", &n, &d) == 2 && n > 0 && d > 0) return AVRational{n, d};
    }
    return AVRational{0, 1};
}

static bool open_encoder(media_output* out, const media_input* in, const media_settings& s, std::string& error) {
    const AVCodec* codec = choose_encoder(out, s, error);
    if (!codec) return false;
    const y4m_format& f = out->format;
    AVCodecContext* enc = out->enc = avcodec_alloc_context3(codec);
    if (!enc) {
        error = "out of memory";
        return false;
    }
    enc->width = f.w;
    enc->height = f.h;
    enc->pix_fmt = encoder_pixel_format(codec, out->planes_fmt);
    enc->framerate = AVRational{f.rate, f.scale};
    const AVStream* in_st = in ? in->fmt->streams[in->video] : nullptr;
    enc->time_base = in_st ? in_st->time_base : AVRational{f.scale, f.rate};
    enc->sample_aspect_ratio = in_st ? in->dec->sample_aspect_ratio : tag_aspect(f);
    enc->color_range = f.full_range ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    if (in) {
        enc->color_primaries = in->dec->color_primaries;
        enc->color_trc = in->dec->color_trc;
        enc->colorspace = in->dec->colorspace;
        enc->chroma_sample_location = in->dec->chroma_sample_location;
        enc->field_order = in->dec->field_order;
    }
    if (out->fmt->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int crf = s.crf >= 0 ? s.crf : default_crf;
    if (av_opt_set_int(enc->priv_data, "crf", crf, 0) < 0 && s.crf >= 0) {
        error = std::string("the encoder ") + codec->name + " has no --crf setting";
        return false;
    }
    if (strcmp(codec->name, "libx265") == 0) av_opt_set(enc->priv_data, "x265-params", "log-level=error", 0);
    take_library_error();
    const int r = avcodec_open2(enc, codec, nullptr);
    if (r < 0) {
        const std::string why = take_library_error();  // such as x264's "width not divisible by 2"
        error = std::string("cannot open the encoder ") + codec->name + ": " + (why.empty() ? av_error_text(r) : why);
        return false;
    }
    return true;
}

// The video stream, with the input's rotation (display matrix) and tags.
static bool add_video_stream(media_output* out, const media_input* in, std::string& error) {
    AVStream* st = out->video_st = avformat_new_stream(out->fmt, nullptr);
    if (!st || avcodec_parameters_from_context(st->codecpar, out->enc) < 0) {
        error = "out of memory";
        return false;
    }
    st->time_base = out->enc->time_base;
    st->avg_frame_rate = out->enc->framerate;
    st->sample_aspect_ratio = out->enc->sample_aspect_ratio;
    if (!in) return true;
    const AVStream* in_st = in->fmt->streams[in->video];
    av_dict_copy(&st->metadata, in_st->metadata, 0);
    av_dict_copy(&out->fmt->metadata, in->fmt->metadata, 0);
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(in_st, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (matrix) {
        uint8_t* copy = av_stream_new_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, size);
        if (!copy) {
            error = "out of memory";
            return false;
        }
        memcpy(copy, matrix, size);
    }
    return true;
}

static bool add_audio_streams(media_output* out, const media_input* in, std::string& error) {
    out->audio_map.assign(in->fmt->nb_streams, -1);
    for (unsigned i = 0; i < in->fmt->nb_streams; i++) {
        const AVStream* in_st = in->fmt->streams[i];
        if (in_st->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) continue;
        const AVCodecID id = in_st->codecpar->codec_id;
        if (avformat_query_codec(out->fmt->oformat, id, FF_COMPLIANCE_NORMAL) == 0) {
            error = "'" + out->path + "' (" + out->fmt->oformat->name + ") cannot hold the input's " +
                    avcodec_get_name(id) + " audio unchanged; write .mkv or .mov";
            return false;
        }
        AVStream* st = avformat_new_stream(out->fmt, nullptr);
        if (!st || avcodec_parameters_copy(st->codecpar, in_st->codecpar) < 0) {
            error = "out of memory";
            return false;
        }
        st->codecpar->codec_tag = 0;
        st->time_base = in_st->time_base;
        st->disposition = in_st->disposition;
        av_dict_copy(&st->metadata, in_st->metadata, 0);
        out->audio_map[i] = st->index;
    }
    return true;
}

static void free_output(media_output* out) {
    if (out->fmt && !(out->fmt->oformat->flags & AVFMT_NOFILE)) avio_closep(&out->fmt->pb);
    avformat_free_context(out->fmt);
    avcodec_free_context(&out->enc);
    av_frame_free(&out->frame);
    av_packet_free(&out->pkt);
    sws_freeContext(out->sws);
    delete out;
}

static void remove_output(media_output* out) {
    const std::string path = out->path;
    const bool removable = out->removable;
    free_output(out);
    if (removable) remove(path.c_str());
}

media_output* media_open_output(const std::string& path, const y4m_format& f, media_input* audio_from,
                                const media_settings& s, std::string& error) {
    quiet_library_log();
    media_output* out = new media_output;
    out->path = path;
    out->format = f;
    out->from = audio_from;
    out->planes_fmt = pixel_format_of(f);
    struct stat info;
    out->removable = stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode);
    if (avformat_alloc_output_context2(&out->fmt, nullptr, nullptr, path.c_str()) < 0 || !out->fmt) {
        error = "cannot tell a container from the name '" + path + "' (write .mp4, .mkv, .mov or .webm)";
        delete out;
        return nullptr;
    }
    out->frame = av_frame_alloc();
    out->pkt = av_packet_alloc();
    bool ok = out->frame && out->pkt;
    if (!ok) error = "out of memory";
    ok = ok && open_encoder(out, audio_from, s, error) && add_video_stream(out, audio_from, error) &&
         (!audio_from || add_audio_streams(out, audio_from, error));
    if (ok && !(out->fmt->oformat->flags & AVFMT_NOFILE)) {
        const int r = avio_open(&out->fmt->pb, path.c_str(), AVIO_FLAG_WRITE);
        if (r < 0) {
            error = "cannot write '" + path + "': " + av_error_text(r);
            free_output(out);  // nothing was created
            return nullptr;
        }
    }
    if (ok) {
        take_library_error();
        const int r = avformat_write_header(out->fmt, nullptr);
        ok = r >= 0;
        if (!ok) error = write_error(out, r);
    }
    if (ok) {
        out->frame->format = out->enc->pix_fmt;
        out->frame->width = f.w;
        out->frame->height = f.h;
        ok = av_frame_get_buffer(out->frame, 0) >= 0;
        if (!ok) error = "out of memory";
    }
    if (!ok) {
        if (out->fmt->pb) remove_output(out);
        else free_output(out);
        return nullptr;
    }
    out->header_written = true;
    if (audio_from) audio_from->audio_to = out;
    return out;
}

// Writes the packets the encoder has ready; frame null drains it.
static bool encode(media_output* out, const AVFrame* frame, std::string& error) {
    int r = avcodec_send_frame(out->enc, frame);
    if (r < 0 && r != AVERROR_EOF) {
        error = std::string("the encoder ") + out->enc->codec->name + " failed: " + av_error_text(r);
        return false;
    }
    for (;;) {
        r = avcodec_receive_packet(out->enc, out->pkt);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
        if (r < 0) {
            error = std::string("the encoder ") + out->enc->codec->name + " failed: " + av_error_text(r);
            return false;
        }
        av_packet_rescale_ts(out->pkt, out->enc->time_base, out->video_st->time_base);
        out->pkt->stream_index = out->video_st->index;
        r = av_interleaved_write_frame(out->fmt, out->pkt);
        if (r < 0) {
            error = write_error(out, r);
            return false;
        }
    }
}

bool write_audio_packet(media_output* out, AVPacket* pkt, const AVStream* in_st, std::string& error) {
    if (pkt->stream_index < 0 || static_cast<size_t>(pkt->stream_index) >= out->audio_map.size()) return true;
    const int index = out->audio_map[pkt->stream_index];
    if (index < 0) return true;
    av_packet_rescale_ts(pkt, in_st->time_base, out->fmt->streams[index]->time_base);
    pkt->stream_index = index;
    pkt->pos = -1;
    const int r = av_interleaved_write_frame(out->fmt, pkt);
    if (r < 0) {
        error = write_error(out, r);
        return false;
    }
    return true;
}

bool media_write_frame(media_output* out, const std::vector<uint8_t>& planes, long long pts, std::string& error) {
    const y4m_format& f = out->format;
    uint8_t* src[4] = {nullptr};
    int src_lines[4] = {0};
    if (av_image_fill_arrays(src, src_lines, planes.data(), out->planes_fmt, f.w, f.h, 1) < 0 ||
        av_frame_make_writable(out->frame) < 0) {
        error = "out of memory";
        return false;
    }
    if (out->enc->pix_fmt == out->planes_fmt) {
        av_image_copy(out->frame->data, out->frame->linesize, const_cast<const uint8_t**>(src), src_lines,
                      out->planes_fmt, f.w, f.h);
    } else {
        out->sws = sws_getCachedContext(out->sws, f.w, f.h, out->planes_fmt, f.w, f.h, out->enc->pix_fmt,
                                        SWS_POINT | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, nullptr);
        if (!out->sws || sws_scale(out->sws, src, src_lines, 0, f.h, out->frame->data, out->frame->linesize) != f.h) {
            error = "cannot convert the frames for the encoder " + media_encoder_name(out);
            return false;
        }
    }
    out->frame->pts = pts;
    out->frame->color_range = out->enc->color_range;
    return encode(out, out->frame, error);
}

bool media_finish_output(media_output* out, std::string& error) {
    bool ok = encode(out, nullptr, error);
    if (ok) {
        const int r = av_write_trailer(out->fmt);
        ok = r >= 0;
        if (!ok) error = write_error(out, r);
    }
    if (ok && out->fmt->pb) {
        ok = out->fmt->pb->error >= 0;
        if (!ok) error = write_error(out, out->fmt->pb->error);
    }
    if (out->from) out->from->audio_to = nullptr;
    if (ok) {
        free_output(out);
    } else {
        remove_output(out);
    }
    return ok;
}

#include "tools/beat/ffmpeg_audio.h"

#include <string.h>

#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

namespace {

// Everything opened for one file, closed together.
struct decoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
};

void close_decoder(decoder& d) {
    av_frame_free(&d.frame);
    av_packet_free(&d.packet);
    avcodec_free_context(&d.codec);
    avformat_close_input(&d.format);
}

std::string av_message(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Sample c of frame position i as a float in -1..1.
double sample_at(const AVFrame* f, AVSampleFormat format, int channels, int i, int c) {
    bool planar = av_sample_fmt_is_planar(format) != 0;
    const uint8_t* base = planar ? f->extended_data[c] : f->extended_data[0];
    int index = planar ? i : i * channels + c;
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        return (int(base[index]) - 128) / 128.0;
    case AV_SAMPLE_FMT_S16: {
        int16_t v;
        memcpy(&v, base + 2 * size_t(index), sizeof v);
        return v / 32768.0;
    }
    case AV_SAMPLE_FMT_S32: {
        int32_t v;
        memcpy(&v, base + 4 * size_t(index), sizeof v);
        return v / 2147483648.0;
    }
    case AV_SAMPLE_FMT_S64: {
        int64_t v;
        memcpy(&v, base + 8 * size_t(index), sizeof v);
        return double(v) / 9223372036854775808.0;
    }
    case AV_SAMPLE_FMT_FLT: {
        float v;
        memcpy(&v, base + 4 * size_t(index), sizeof v);
        return v;
    }
    case AV_SAMPLE_FMT_DBL: {
        double v;
        memcpy(&v, base + 8 * size_t(index), sizeof v);
        return v;
    }
    default:
        return 0;
    }
}

bool known_format(AVSampleFormat format) {
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8: case AV_SAMPLE_FMT_S16: case AV_SAMPLE_FMT_S32:
    case AV_SAMPLE_FMT_S64: case AV_SAMPLE_FMT_FLT: case AV_SAMPLE_FMT_DBL:
        return true;
    default:
        return false;
    }
}

// Appends the decoded frame, mixed to mono.
bool append_frame(const AVFrame* f, audio_samples& out, std::string& error) {
    AVSampleFormat format = AVSampleFormat(f->format);
    int channels = f->ch_layout.nb_channels;
    if (!known_format(format)) {
        error = std::string("unknown sample format ") + (av_get_sample_fmt_name(format) ? av_get_sample_fmt_name(format) : "?");
        return false;
    }
    if (channels <= 0) {
        error = "zero channels";
        return false;
    }
    for (int i = 0; i < f->nb_samples; ++i) {
        double sum = 0;
        for (int c = 0; c < channels; ++c) sum += sample_at(f, format, channels, i, c);
        if (!std::isfinite(sum)) {
            error = "float sample that is not a finite number";
            return false;
        }
        out.samples.push_back(float(sum / channels));
    }
    return true;
}

double stream_start(const AVStream* s) {
    return s->start_time == AV_NOPTS_VALUE ? 0.0 : double(s->start_time) * av_q2d(s->time_base);
}

// Decodes every packet of the stream. A packet the decoder refuses is skipped,
// as a player would; a read error ends the file like its end (a truncated
// file gives what it holds).
// first_s becomes the time of the first decoded sample where the decoder
// tells it.
bool decode_all(decoder& d, int stream, audio_samples& out, double& first_s, std::string& error) {
    while (true) {
        int status = av_read_frame(d.format, d.packet);
        bool end = status < 0;
        if (!end && d.packet->stream_index != stream) {
            av_packet_unref(d.packet);
            continue;
        }
        status = avcodec_send_packet(d.codec, end ? nullptr : d.packet);
        av_packet_unref(d.packet);
        if (status < 0 && status != AVERROR(EAGAIN) && !end) continue;
        while ((status = avcodec_receive_frame(d.codec, d.frame)) >= 0) {
            // The first sound's own time: decoders drop priming samples, so
            // the stream's start time can lie a little before it.
            if (out.samples.empty() && d.frame->best_effort_timestamp != AV_NOPTS_VALUE)
                first_s = double(d.frame->best_effort_timestamp) * av_q2d(d.format->streams[stream]->time_base);
            bool ok = append_frame(d.frame, out, error);
            av_frame_unref(d.frame);
            if (!ok) return false;
        }
        if (end) return true;
    }
}

}  // namespace

bool read_audio_file(const char* path, audio_samples& out, std::string& error) {
    out = audio_samples();
    decoder d;
    // Failures come back as one message of ours; FFmpeg's own log stays quiet.
    av_log_set_level(AV_LOG_QUIET);
    int status = avformat_open_input(&d.format, path, nullptr, nullptr);
    if (status < 0) {
        error = std::string(path) + ": cannot open (" + av_message(status) + ")";
        return false;
    }
    bool ok = false;
    do {
        if ((status = avformat_find_stream_info(d.format, nullptr)) < 0) {
            error = "no stream information (" + av_message(status) + ")";
            break;
        }
        const AVCodec* codec = nullptr;
        int audio = av_find_best_stream(d.format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (audio < 0 || !codec) {
            error = audio == AVERROR_DECODER_NOT_FOUND ? "no decoder for the audio stream" : "no audio stream";
            break;
        }
        const AVStream* a = d.format->streams[audio];
        int video = av_find_best_stream(d.format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        // Cover art of a music file comes as a one-picture video stream; it
        // is no timeline.
        if (video >= 0 && (d.format->streams[video]->disposition & AV_DISPOSITION_ATTACHED_PIC)) video = -1;
        double presentation = 0;
        if (video >= 0) {
            const AVStream* v = d.format->streams[video];
            presentation = stream_start(v);
            AVRational rate = v->avg_frame_rate.num > 0 ? v->avg_frame_rate : v->r_frame_rate;
            if (rate.num > 0 && rate.den > 0) {
                out.video_fps_num = rate.num;
                out.video_fps_den = rate.den;
            }
        }
        d.codec = avcodec_alloc_context3(codec);
        d.packet = av_packet_alloc();
        d.frame = av_frame_alloc();
        if (!d.codec || !d.packet || !d.frame) {
            error = "out of memory";
            break;
        }
        if ((status = avcodec_parameters_to_context(d.codec, a->codecpar)) < 0 ||
            (status = avcodec_open2(d.codec, codec, nullptr)) < 0) {
            error = "cannot open the audio decoder (" + av_message(status) + ")";
            break;
        }
        out.rate = d.codec->sample_rate;
        if (out.rate <= 0) {
            error = "zero sample rate";
            break;
        }
        double first_s = stream_start(a);
        if (!decode_all(d, audio, out, first_s, error)) break;
        // Without a picture the sound is its own timeline, from its first sample.
        out.start_s = video >= 0 ? first_s - presentation : 0.0;
        if (out.samples.empty()) {
            error = "the audio stream holds no samples";
            break;
        }
        ok = true;
    } while (false);
    close_decoder(d);
    if (!ok) {
        if (error.compare(0, strlen(path), path) != 0) error = std::string(path) + ": " + error;
        out = audio_samples();
    }
    return ok;
}

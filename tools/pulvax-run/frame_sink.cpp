#include "tools/pulvax-run/frame_sink.h"

#include <errno.h>
#include <string.h>

#include "tools/pulvax-run/run_platform.h"
#include "tools/utf8/utf8_file.h"

bool is_video_file_name(const std::string& path) {
    const size_t base = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (base != std::string::npos && dot < base)) return false;
    std::string ext = path.substr(dot);
    for (char& c : ext) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return ext != ".y4m";
}

bool can_write_video_files() {
#ifdef PULVAX_HAVE_FFMPEG
    return true;
#else
    return false;
#endif
}

bool open_sink(frame_sink& sink, const std::string& path, const y4m_format& f, frame_source& source,
               const media_settings& settings, std::string& error) {
    sink = frame_sink();
    if (path.empty()) return true;
    sink.name = path == "-" ? std::string("standard output") : "'" + path + "'";
    if (is_video_file_name(path)) {
#ifdef PULVAX_HAVE_FFMPEG
        sink.media = media_open_output(path, f, source.media, settings, error);
        if (!sink.media) return false;
        sink.kind = sink_media;
        return true;
#else
        (void)source;
        (void)settings;
        error = "this build writes YUV4MPEG2 only (.y4m or -)";
        return false;
#endif
    }
    if (path == "-") {
        sink.file = stdout;
        set_binary_mode(stdout);
    } else {
        sink.file = utf8_fopen(path.c_str(), "wb");
        if (!sink.file) {
            error = "cannot write " + sink.name + ": " + strerror(errno);
            return false;
        }
        sink.owns_file = true;
    }
    sink.kind = sink_y4m;
    if (fputs(y4m_header_text(f).c_str(), sink.file) < 0) {
        error = "cannot write " + sink.name + ": " + strerror(errno);
        return false;
    }
    return true;
}

bool sink_frame(frame_sink& sink, const y4m_format& f, const std::vector<uint8_t>& planes, long long pts,
                std::string& error) {
    switch (sink.kind) {
    case sink_none:
        return true;
    case sink_y4m:
        if (write_y4m_frame(sink.file, f, planes)) return true;
        error = "cannot write " + sink.name + ": " + strerror(errno);
        return false;
    case sink_media:
#ifdef PULVAX_HAVE_FFMPEG
        return media_write_frame(sink.media, planes, pts, error);
#else
        (void)pts;
        return false;
#endif
    }
    return false;
}

bool close_sink(frame_sink& sink, std::string& error) {
    bool ok = true;
    if (sink.kind == sink_y4m && sink.file) {
        ok = fflush(sink.file) == 0 && !ferror(sink.file);
        if (sink.owns_file) ok = fclose(sink.file) == 0 && ok;
        if (!ok) error = "cannot write " + sink.name + ": " + strerror(errno);
    }
#ifdef PULVAX_HAVE_FFMPEG
    if (sink.kind == sink_media) ok = media_finish_output(sink.media, error);
#endif
    sink = frame_sink();
    return ok;
}

void abort_sink(frame_sink& sink) {
    std::string ignored;
    close_sink(sink, ignored);
}

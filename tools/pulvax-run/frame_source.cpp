#include "tools/pulvax-run/frame_source.h"

#include <errno.h>
#include <string.h>

#include "tools/pulvax-run/image_input.h"
#include "tools/pulvax-run/run_platform.h"
#include "tools/pulvax-run/test_clip.h"
#include "tools/utf8/utf8_file.h"

enum { image_default_frames = 30 };

bool open_source(frame_source& s, const std::string& input, int frames, std::string& error) {
    s = frame_source();
    s.limit = frames;
    if (input.empty()) {
        s.kind = source_clip;
        s.name = "built-in clip";
        s.format = test_clip_format();
        if (s.limit < 0) s.limit = test_clip_frames;
        return true;
    }
    s.kind = source_stream;
    if (input == "-") {
        s.name = "standard input";
        s.file = stdin;
        set_binary_mode(stdin);
    } else {
        s.name = "'" + input + "'";
        s.file = utf8_fopen(input.c_str(), "rb");
        if (!s.file) {
            error = "cannot open " + s.name + ": " + strerror(errno);
            return false;
        }
        s.owns_file = true;
    }
    // The magic tells a stream from the rest. It stays read: a pipe cannot
    // go back, so the header reader is given it.
    char magic[9];
    const size_t got = fread(magic, 1, sizeof magic, s.file);
    const std::string consumed(magic, got);
    if (input != "-" && consumed != "YUV4MPEG2") {
        if (fseek(s.file, 0, SEEK_SET) != 0) {
            error = s.name + " is not a YUV4MPEG2 stream, and cannot be read again from its start "
                             "to try the other formats (a pipe?)";
            return false;
        }
        close_source(s);
        s.name = "'" + input + "'";
        if (is_image(input.c_str())) {
            s.kind = source_image;
            s.limit = frames < 0 ? image_default_frames : frames;
            s.total = s.limit;
            return load_image(input.c_str(), s.format, s.still, error);
        }
        std::string why;
#ifdef PULVAX_HAVE_FFMPEG
        media_open_failure failure;
        s.media = media_open_input(input, s.format, s.total, failure, why);
        if (s.media) {
            s.kind = source_media;
            if (s.limit >= 0 && (s.total < 0 || s.total > s.limit)) s.total = s.limit;
            return true;
        }
        // A file FFmpeg knows but cannot use: its message says why.
        if (failure == media_unusable) {
            error = why;
            return false;
        }
        why = ", nor a video file (" + why + ")";
#else
        why = "; this build reads video files through a pipe from ffmpeg only: "
              "ffmpeg -i in.mp4 -f yuv4mpegpipe - | pulvax-run - -o out.y4m";
#endif
        error = s.name + " is neither a YUV4MPEG2 stream nor a readable PNG, JPEG or BMP image" + why;
        return false;
    }
    if (!read_y4m_header(s.file, s.format, error, consumed)) {
        error = s.name + ": " + error;
        return false;
    }
    return true;
}

int next_frame(frame_source& s, std::vector<uint8_t>& planes, std::string& error) {
    if (s.limit >= 0 && s.next >= s.limit) return 0;
    switch (s.kind) {
    case source_clip:
        test_clip_frame(s.next, planes);
        break;
    case source_image:
        planes = s.still;
        break;
    case source_media:
#ifdef PULVAX_HAVE_FFMPEG
        {
            const int got = media_read_frame(s.media, planes, s.pts, error);
            if (got <= 0) return got;
        }
#endif
        break;
    case source_stream:
        {
            const int got = read_y4m_frame(s.file, s.format, s.next, planes, error);
            if (got < 0) {
                error = s.name + ": " + error;
                return -1;
            }
            if (got == 0) {
                if (ferror(s.file)) {
                    error = s.name + ": read error: " + strerror(errno);
                    return -1;
                }
                return 0;
            }
        }
        break;
    }
    if (s.kind != source_media) s.pts = s.next;
    s.next++;
    return 1;
}

void close_source(frame_source& s) {
#ifdef PULVAX_HAVE_FFMPEG
    media_close_input(s.media);
#endif
    s.media = nullptr;
    if (s.owns_file && s.file) fclose(s.file);
    s.file = nullptr;
    s.owns_file = false;
}

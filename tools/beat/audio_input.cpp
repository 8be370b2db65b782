#include "tools/beat/audio_input.h"

#include <stdio.h>

#include "tools/beat/wav_reader.h"
#include "tools/utf8/utf8_file.h"
#ifdef PULVAX_BEAT_FFMPEG
#include "tools/beat/ffmpeg_audio.h"
#endif

bool read_file_bytes(const char* path, std::vector<unsigned char>& bytes, std::string& error) {
    bytes.clear();
    FILE* f = utf8_fopen(path, "rb");
    if (!f) {
        error = std::string("cannot open ") + path;
        return false;
    }
    unsigned char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    bool failed = ferror(f) != 0;
    fclose(f);
    if (failed) {
        error = std::string("cannot read ") + path;
        return false;
    }
    return true;
}

bool read_audio(const char* path, audio_samples& out, std::string& error) {
    out = audio_samples();
    unsigned char head[12] = {};
    FILE* f = utf8_fopen(path, "rb");
    if (!f) {
        error = std::string("cannot open ") + path;
        return false;
    }
    size_t n = fread(head, 1, sizeof head, f);
    fclose(f);
    if (looks_like_wav(head, n)) {
        std::vector<unsigned char> bytes;
        if (!read_file_bytes(path, bytes, error)) return false;
        if (read_wav(bytes.data(), bytes.size(), out, error)) return true;
        error = std::string(path) + ": " + error;
        return false;
    }
#ifdef PULVAX_BEAT_FFMPEG
    return read_audio_file(path, out, error);
#else
    error = std::string(path) + ": not a WAV file, and this build reads WAV only: convert it with "
            "ffmpeg -i song.mp3 song.wav, or open it in the beat page";
    return false;
#endif
}

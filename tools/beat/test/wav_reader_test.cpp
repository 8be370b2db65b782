// WAV parsing: the sample formats and layouts the reader takes, and the
// faults it must refuse with a clear message, never reading past the data.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "tools/beat/wav_reader.h"

namespace {

typedef std::vector<unsigned char> bytes;

void put16(bytes& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

void put32(bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

void put_chunk(bytes& b, const char* id, const bytes& body, bool pad = true) {
    b.insert(b.end(), id, id + 4);
    put32(b, uint32_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && body.size() % 2) b.push_back(0);
}

struct fmt_fields {
    unsigned code = 1, channels = 1;
    uint32_t rate = 8000;
    unsigned bits = 16;
    int block_align = -1;  // -1: channels * bits / 8
    unsigned sub_code = 0;  // with code 0xFFFE: the sub-format's code
};

fmt_fields fmt(unsigned code, unsigned channels, uint32_t rate, unsigned bits, int block_align = -1,
               unsigned sub_code = 0) {
    fmt_fields f;
    f.code = code;
    f.channels = channels;
    f.rate = rate;
    f.bits = bits;
    f.block_align = block_align;
    f.sub_code = sub_code;
    return f;
}

bytes fmt_body(const fmt_fields& f) {
    bytes b;
    put16(b, f.code);
    put16(b, f.channels);
    put32(b, f.rate);
    unsigned align = f.block_align >= 0 ? unsigned(f.block_align) : f.channels * f.bits / 8;
    put32(b, f.rate * align);
    put16(b, align);
    put16(b, f.bits);
    if (f.code == 0xFFFE) {
        put16(b, 22);
        put16(b, f.bits);
        put32(b, 0);
        static const unsigned char tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                               0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        put16(b, f.sub_code);
        b.insert(b.end(), tail, tail + 14);
    }
    return b;
}

// RIFF header around the chunks (the RIFF size is not checked by readers that
// meet streamed files, so it is only filled in).
bytes riff(const bytes& chunks) {
    bytes b = {'R', 'I', 'F', 'F'};
    put32(b, uint32_t(chunks.size() + 4));
    b.insert(b.end(), {'W', 'A', 'V', 'E'});
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

bytes wav(const fmt_fields& f, const bytes& data) {
    bytes chunks;
    put_chunk(chunks, "fmt ", fmt_body(f));
    put_chunk(chunks, "data", data);
    return riff(chunks);
}

bytes pcm16(std::initializer_list<int> values) {
    bytes b;
    for (int v : values) put16(b, unsigned(v) & 0xFFFF);
    return b;
}

struct good_case {
    const char* name;
    bytes file;
    std::vector<float> samples;
    int rate;
};

TEST(wav_reader, reads_the_sample_formats_and_mixes_channels_down) {
    const fmt_fields stereo16 = fmt(1, 2, 8000, 16), mono24 = fmt(1, 1, 48000, 24),
                     float32 = fmt(3, 1, 22050, 32), extensible24 = fmt(0xFFFE, 1, 48000, 24, -1, 1),
                     three_channels = fmt(1, 3, 8000, 16), u8 = fmt(1, 1, 8000, 8);

    bytes f32;
    for (float v : {0.25f, -1.0f}) {
        uint32_t u;
        memcpy(&u, &v, 4);
        put32(f32, u);
    }
    // 24-bit little endian: 0x400000 = 0.5, 0xC00000 = -0.5.
    bytes s24 = {0x00, 0x00, 0x40, 0x00, 0x00, 0xC0};

    // An odd-sized chunk before fmt and one between fmt and data, each with
    // its pad byte.
    bytes odd_chunks;
    put_chunk(odd_chunks, "LIST", {'a', 'b', 'c'});
    put_chunk(odd_chunks, "fmt ", fmt_body(fmt_fields()));
    put_chunk(odd_chunks, "junk", {1});
    put_chunk(odd_chunks, "data", pcm16({16384}));

    // A streamed file: data size unknown (0xFFFFFFFF), a trailing half frame.
    bytes streamed;
    put_chunk(streamed, "fmt ", fmt_body(fmt_fields()));
    streamed.insert(streamed.end(), {'d', 'a', 't', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x40, 0x00});

    const good_case cases[] = {
        {"16-bit stereo averaged", wav(stereo16, pcm16({16384, -16384, 32767, 32767})), {0.0f, 32767 / 32768.0f}, 8000},
        {"24-bit", wav(mono24, s24), {0.5f, -0.5f}, 48000},
        {"32-bit float", wav(float32, f32), {0.25f, -1.0f}, 22050},
        {"extensible 24-bit", wav(extensible24, s24), {0.5f, -0.5f}, 48000},
        {"three channels", wav(three_channels, pcm16({3 * 8192, 0, 0})), {0.25f}, 8000},
        {"8-bit unsigned", wav(u8, {0x80, 0xC0, 0x00}), {0.0f, 0.5f, -1.0f}, 8000},
        {"odd chunks padded", riff(odd_chunks), {0.5f}, 8000},
        {"streamed data size", riff(streamed), {0.5f}, 8000},
    };
    for (const good_case& c : cases) {
        SCOPED_TRACE(c.name);
        audio_samples out;
        std::string error;
        ASSERT_TRUE(read_wav(c.file.data(), c.file.size(), out, error)) << error;
        EXPECT_EQ(out.rate, c.rate);
        ASSERT_EQ(out.samples.size(), c.samples.size());
        for (size_t i = 0; i < c.samples.size(); ++i) EXPECT_NEAR(out.samples[i], c.samples[i], 1e-6) << i;
    }
}

struct bad_case {
    const char* name;
    bytes file;
    const char* message;  // part of the error
};

TEST(wav_reader, refuses_broken_files_with_a_clear_message) {
    bytes good = wav(fmt_fields(), pcm16({1, 2, 3, 4}));
    bytes short_data = good;
    short_data.resize(short_data.size() - 3);
    bytes no_data;
    put_chunk(no_data, "fmt ", fmt_body(fmt_fields()));
    bytes data_first;
    put_chunk(data_first, "data", pcm16({1}));
    put_chunk(data_first, "fmt ", fmt_body(fmt_fields()));
    bytes short_fmt;
    put_chunk(short_fmt, "fmt ", bytes(14, 0));
    bytes huge_chunk;
    put_chunk(huge_chunk, "fmt ", fmt_body(fmt_fields()));
    huge_chunk.insert(huge_chunk.end(), {'L', 'I', 'S', 'T', 0xF0, 0xFF, 0xFF, 0x7F, 1, 2});
    // A fmt chunk that declares its 16 bytes but ends after 10 (the file ends).
    bytes fmt_past_end;
    put_chunk(fmt_past_end, "fmt ", fmt_body(fmt_fields()));
    fmt_past_end.resize(8 + 10);
    bytes empty_data;
    put_chunk(empty_data, "fmt ", fmt_body(fmt_fields()));
    put_chunk(empty_data, "data", {});

    bytes not_a_number;
    for (uint32_t u : {0x3F000000u, 0x7FC00000u}) put32(not_a_number, u);  // 0.5, NaN
    bytes infinite;
    put32(infinite, 0xFF800000u);  // -infinity

    const bad_case cases[] = {
        {"empty file", {}, "truncated"},
        {"not RIFF", bytes(64, 'x'), "not a RIFF/WAVE file"},
        {"header only", riff({}), "no fmt chunk"},
        {"zero channels", wav(fmt(1, 0, 8000, 16, 0), pcm16({1})), "zero channels"},
        {"zero rate", wav(fmt(1, 1, 0, 16), pcm16({1})), "zero sample rate"},
        {"ADPCM", wav(fmt(2, 1, 8000, 16), pcm16({1})), "unknown sample format 0x0002"},
        {"12-bit PCM", wav(fmt(1, 1, 8000, 12, 2), pcm16({1})), "12-bit PCM"},
        {"16-bit float", wav(fmt(3, 1, 8000, 16), pcm16({1})), "16-bit float"},
        {"block align", wav(fmt(1, 1, 8000, 16, 3), pcm16({1})), "block align 3"},
        {"extensible, unknown sub-format", wav(fmt(0xFFFE, 1, 8000, 16, -1, 2), pcm16({1})), "unknown sample format 0x0002"},
        {"truncated data", short_data, "truncated: data chunk declares 8 bytes, the file holds 5"},
        {"no data chunk", riff(no_data), "no data chunk"},
        {"data before fmt", riff(data_first), "data chunk before the fmt chunk"},
        {"short fmt", riff(short_fmt), "truncated fmt chunk"},
        {"fmt past the end", riff(fmt_past_end), "truncated fmt chunk"},
        {"chunk past the end", riff(huge_chunk), "truncated before the data chunk"},
        {"empty data", riff(empty_data), "no samples"},
        {"NaN", wav(fmt(3, 1, 8000, 32), not_a_number), "not a finite number in frame 1"},
        {"infinity", wav(fmt(3, 1, 8000, 32), infinite), "not a finite number in frame 0"},
    };
    for (const bad_case& c : cases) {
        SCOPED_TRACE(c.name);
        audio_samples out;
        out.samples.assign(3, 1.0f);
        std::string error;
        EXPECT_FALSE(read_wav(c.file.data(), c.file.size(), out, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_TRUE(out.samples.empty());
        EXPECT_EQ(out.rate, 0);
    }
}

// Every prefix of a file with odd chunks, extensible 24-bit stereo: each is
// read or refused, and (under the sanitizers) nothing is read past its end.
TEST(wav_reader, every_truncation_is_read_or_refused_within_the_buffer) {
    fmt_fields f = fmt(0xFFFE, 2, 8000, 24, -1, 1);
    bytes chunks;
    put_chunk(chunks, "LIST", {'x'});
    put_chunk(chunks, "fmt ", fmt_body(f));
    put_chunk(chunks, "data", bytes(6 * 5, 0x11));
    bytes file = riff(chunks);
    for (size_t n = 0; n <= file.size(); ++n) {
        // A copy of exactly n bytes, so reading past it is caught.
        std::vector<unsigned char> prefix(file.begin(), file.begin() + n);
        audio_samples out;
        std::string error;
        bool ok = read_wav(prefix.data(), prefix.size(), out, error);
        EXPECT_EQ(ok, n == file.size()) << n << ": " << error;
        if (!ok) {
            EXPECT_FALSE(error.empty());
        }
    }
}

}  // namespace

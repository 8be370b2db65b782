#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "tools/pulvax-run/y4m.h"

TEST(y4m_header, keeps_every_tag_and_writes_it_back) {
    y4m_format f;
    std::string error;
    const std::string line = "YUV4MPEG2 W640 H360 F30000:1001 Ip A10:11 C420mpeg2 XYSCSS=420MPEG2 XCOLORRANGE=LIMITED";
    ASSERT_TRUE(parse_y4m_header(line, f, error)) << error;
    EXPECT_EQ(f.w, 640);
    EXPECT_EQ(f.h, 360);
    EXPECT_EQ(f.rate, 30000);
    EXPECT_EQ(f.scale, 1001);
    EXPECT_EQ(f.chroma, chroma_420);
    EXPECT_EQ(y4m_header_text(f), line + "\n");
    EXPECT_EQ(frame_bytes(f), 640u * 360 * 3 / 2);
}

TEST(y4m_header, chroma_layouts) {
    const struct {
        const char* tag;
        y4m_chroma chroma;
        int depth;
        size_t bytes;  // for 4 x 2
        size_t odd_bytes;  // for 5 x 3: chroma planes rounded up
    } cases[] = {
        {"", chroma_420, 8, 12, 15 + 2 * 6},          {" C420jpeg", chroma_420, 8, 12, 27},
        {" C420paldv", chroma_420, 8, 12, 27},        {" C420mpeg2", chroma_420, 8, 12, 27},
        {" C420", chroma_420, 8, 12, 27},             {" C422", chroma_422, 8, 16, 15 + 2 * 9},
        {" C444", chroma_444, 8, 24, 45},             {" C411", chroma_411, 8, 12, 15 + 2 * 6},
        {" Cmono", chroma_mono, 8, 8, 15},            {" C420p10", chroma_420, 10, 24, 54},
        {" C422p12", chroma_422, 12, 32, 66},         {" C444p16", chroma_444, 16, 48, 90},
        {" C420p9", chroma_420, 9, 24, 54},           {" C444p14", chroma_444, 14, 48, 90},
        {" Cmono16", chroma_mono, 16, 16, 30},        {" Cmono12", chroma_mono, 12, 16, 30},
    };
    for (const auto& c : cases) {
        y4m_format f;
        std::string error;
        ASSERT_TRUE(parse_y4m_header(std::string("YUV4MPEG2 W4 H2 F25:1") + c.tag, f, error))
            << c.tag << ": " << error;
        EXPECT_EQ(f.chroma, c.chroma) << c.tag;
        EXPECT_EQ(f.depth, c.depth) << c.tag;
        EXPECT_EQ(frame_bytes(f), c.bytes) << c.tag;
        ASSERT_TRUE(parse_y4m_header(std::string("YUV4MPEG2 W5 H3 F25:1") + c.tag, f, error)) << c.tag;
        EXPECT_EQ(frame_bytes(f), c.odd_bytes) << c.tag;
    }
}

TEST(y4m_header, rejects_what_it_cannot_carry) {
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"YUV4MPEG W4 H2 F25:1", "not a YUV4MPEG2 stream"},
        {"YUV4MPEG2X W4 H2 F25:1", "not a YUV4MPEG2 stream"},
        {"YUV4MPEG2 W4 H2 F25:1 Ix", "bad interlacing 'Ix'"},
        {"YUV4MPEG2 W4 H2 F25:1 Itb", "bad interlacing"},
        {"YUV4MPEG2 W4 H2 F25:1 C444alpha", "unsupported chroma layout 'C444alpha'"},
        {"YUV4MPEG2 W4 H2 F25:1 C420p8", "unsupported chroma layout"},
        {"YUV4MPEG2 W4 H2 F25:1 C420p17", "unsupported chroma layout"},
        {"YUV4MPEG2 W4 H2 F25:1 C420p010", "unsupported chroma layout"},
        {"YUV4MPEG2 W4 H2 F25:1 C420p", "unsupported chroma layout"},
        {"YUV4MPEG2 W4 H2 F25:1 Cmono8", "unsupported chroma layout"},
        {"YUV4MPEG2 W4 H2 F25:1 C422x10", "unsupported chroma layout"},
        {"YUV4MPEG2 W0 H2 F25:1", "frame size 0x2 is empty"},
        {"YUV4MPEG2 W16385 H2 F25:1 C444", "too large"},
        {"YUV4MPEG2 W10000 H10000 F25:1", "too large"},
        {"YUV4MPEG2 W999999999 H999999999 F25:1", "too large"},
        {"YUV4MPEG2 W-4 H2 F25:1", "bad width"},
        {"YUV4MPEG2 W4 Hx F25:1", "bad height"},
        {"YUV4MPEG2 W1234567890 H2 F25:1", "bad width"},
        {"YUV4MPEG2 W4 H2 F25", "bad frame rate"},
        {"YUV4MPEG2 W4 H2 F25:1 Ax", "bad pixel aspect"},
        {"YUV4MPEG2 W4 H2", "frame rate (F)"},
        {"YUV4MPEG2 H2 F25:1", "width (W)"},
        {"YUV4MPEG2 W4 F25:1", "height (H)"},
    };
    for (const auto& c : cases) {
        y4m_format f;
        std::string error;
        EXPECT_FALSE(parse_y4m_header(c.line, f, error)) << c.line;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.line << " gave: " << error;
    }
}

// Interlacing, aspect 0:0 and the colour range: read, and written back as given.
TEST(y4m_header, interlacing_aspect_and_range) {
    const struct {
        const char* tags;
        char interlace;
        bool full;
    } cases[] = {
        {"It A0:0 C420p10 XCOLORRANGE=FULL", 't', true},
        {"Ib A1:1 Cmono XCOLORRANGE=LIMITED", 'b', false},
        {"Im C411", 'm', false},
        {"I? XYSCSS=420JPEG", '?', false},
        {"", 'p', false},
    };
    for (const auto& c : cases) {
        const std::string line = std::string("YUV4MPEG2 W641 H361 F30:1 ") + c.tags;
        y4m_format f;
        std::string error;
        ASSERT_TRUE(parse_y4m_header(line, f, error)) << line << ": " << error;
        EXPECT_EQ(f.interlace, c.interlace) << line;
        EXPECT_EQ(f.full_range, c.full) << line;
        EXPECT_EQ(y4m_header_text(f), (*c.tags ? line : line.substr(0, line.size() - 1)) + "\n");
    }
}

// A stream in a temporary file.
static FILE* stream_of(const std::string& bytes) {
    FILE* f = tmpfile();
    fwrite(bytes.data(), 1, bytes.size(), f);
    rewind(f);
    return f;
}

TEST(y4m_stream, reads_frames_to_a_clean_end_and_reports_faults) {
    const std::string header = "YUV4MPEG2 W2 H2 F25:1 C444\n";
    const std::string frame(12, 'a');
    const struct {
        std::string body;
        int frames;           // complete frames before the end or fault
        const char* message;  // nullptr for a clean end
    } cases[] = {
        {"", 0, nullptr},
        {"FRAME\n" + frame + "FRAME Ixyz\n" + frame, 2, nullptr},
        {"FRAME\n" + frame + "FRAME\n" + frame.substr(5), 1, "frame 1 is truncated (7 of 12 bytes)"},
        {"FRAME\n" + frame + "FRA", 1, "frame 1 is truncated (the stream ends in its FRAME line)"},
        {"FRAMEX\n" + frame, 0, "frame 0: no FRAME line"},
        {"JUNK\n", 0, "frame 0: no FRAME line"},
        {"FRAME" + std::string(5000, ' ') + "\n", 0, "frame 0: its FRAME line is too long"},
    };
    for (const auto& c : cases) {
        FILE* in = stream_of(header + c.body);
        y4m_format f;
        std::string error;
        ASSERT_TRUE(read_y4m_header(in, f, error)) << error;
        std::vector<uint8_t> data;
        int got = 0, frames = 0;
        while ((got = read_y4m_frame(in, f, frames, data, error)) == 1) {
            EXPECT_EQ(data, std::vector<uint8_t>(frame.begin(), frame.end()));
            frames++;
        }
        EXPECT_EQ(frames, c.frames);
        if (c.message) {
            EXPECT_EQ(got, -1);
            EXPECT_NE(error.find(c.message), std::string::npos) << error;
        } else {
            EXPECT_EQ(got, 0);
        }
        fclose(in);
    }
}

TEST(y4m_stream, header_faults) {
    const struct {
        std::string bytes;
        const char* message;
    } cases[] = {
        {"", "the stream is empty"},
        {"YUV4MPEG2 W2 H2 F25:1", "cut short"},
        {"YUV4MPEG2 " + std::string(5000, 'X') + "\n", "too long"},
        {"\x89PNG\r\n", "not a YUV4MPEG2 stream"},
    };
    for (const auto& c : cases) {
        FILE* in = stream_of(c.bytes);
        y4m_format f;
        std::string error;
        EXPECT_FALSE(read_y4m_header(in, f, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        fclose(in);
    }
}

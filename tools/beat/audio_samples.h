// Decoded sound, mixed down to one channel, as the beat finder takes it.
#pragma once

#include <string>
#include <vector>

struct audio_samples {
    std::vector<float> samples;  // mono, full scale -1..1
    int rate = 0;                // samples per second
    // Presentation time of the first sample, in seconds: beat times found in
    // the samples are shifted by this to land on the video's timeline. Zero
    // for WAV files.
    double start_s = 0;
    // The frame rate of the file's video stream as rate / scale, or 0 / 0
    // where the file has none.
    int video_fps_num = 0;
    int video_fps_den = 0;
};

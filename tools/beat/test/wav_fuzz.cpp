// libFuzzer target (clang, configure preset "fuzz"): any bytes as a WAV file,
// and the beat finder on whatever sound they hold, under AddressSanitizer and
// UndefinedBehaviorSanitizer.
//   cmake --preset fuzz && cmake --build build/fuzz --target pulvax_wav_fuzz
//   build/fuzz/tools/beat/test/pulvax_wav_fuzz -max_total_time=60 tools/beat/test/wav_corpus
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "tools/beat/find_beat.h"
#include "tools/beat/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    audio_samples audio;
    std::string error;
    if (!read_wav(data, size, audio, error)) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    if (audio.samples.empty() || audio.rate <= 0) __builtin_trap();
    beat_result r = find_beat(audio.samples.data(), audio.samples.size(), audio.rate);
    if (r.found && !(r.bpm >= 57 && r.bpm <= 210 && r.first_beat_s >= 0 && r.first_beat_s < 60 / r.bpm)) __builtin_trap();
    return 0;
}

// MusicGenerator: synthesises the demo's calm looping tune as 16-bit stereo PCM.
// Pentatonic arpeggio over soft pad chords with echo and reverb; the loop point is seamless.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

class MusicGenerator {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kBpm = 84;                 // 31500 samples per beat exactly
    static constexpr int kSamplesPerBeat = kSampleRate * 60 / kBpm;
    static constexpr int kBeats = 32;               // eight bars of 4/4, about 22.9 s
    static constexpr int kLoopSamples = kSamplesPerBeat * kBeats;

    // Interleaved stereo samples (left, right), kLoopSamples frames.
    static std::vector<int16_t> render();
    // A canonical 44-byte-header WAV file.
    static bool writeWav(const std::vector<int16_t>& samples, const std::string& path);
};

} // namespace assetgen

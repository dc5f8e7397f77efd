// Mp3Encoder: turns a WAV file into a 128 kbps CBR MP3 with the Debian `lame` encoder.
// Fixed options and no tags with dates or names, so the bytes are the same on every run.
#pragma once
#include <string>

namespace assetgen {

class Mp3Encoder {
public:
    // Returns false (and prints why) when lame is missing or fails.
    static bool encode(const std::string& wavPath, const std::string& mp3Path);
};

} // namespace assetgen

// PngWriter: encodes an Image as an 8-bit RGB/RGBA PNG with zlib.
// Hand-written chunks keep the output byte-identical (no timestamps, fixed settings).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Image.h"

namespace assetgen {

class PngWriter {
public:
    static std::vector<uint8_t> encode(const Image& image);
    static bool write(const Image& image, const std::string& path);
};

} // namespace assetgen

// TgaWriter: writes an Image as an uncompressed 24- or 32-bit TGA.
// Rows are stored bottom row first with the descriptor's top-left bit clear (the TGA default).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Image.h"

namespace assetgen {

class TgaWriter {
public:
    static std::vector<uint8_t> encode(const Image& image);
    static bool write(const Image& image, const std::string& path);
};

} // namespace assetgen

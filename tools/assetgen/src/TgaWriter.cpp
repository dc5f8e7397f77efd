#include "TgaWriter.h"

#include <fstream>

namespace assetgen {

std::vector<uint8_t> TgaWriter::encode(const Image& image)
{
    const int w = image.width(), h = image.height(), ch = image.channels();
    std::vector<uint8_t> out(18, 0);
    out[2] = 2; // uncompressed true-colour
    out[12] = static_cast<uint8_t>(w & 0xFF);
    out[13] = static_cast<uint8_t>(w >> 8);
    out[14] = static_cast<uint8_t>(h & 0xFF);
    out[15] = static_cast<uint8_t>(h >> 8);
    out[16] = static_cast<uint8_t>(ch * 8);
    // Bits 0-3: alpha bits; bit 5 clear = first stored row is the bottom of the picture.
    // Loaders that ignore the origin bit assume exactly this, so every reader agrees.
    out[17] = static_cast<uint8_t>(ch == 4 ? 8 : 0);
    out.reserve(18 + static_cast<size_t>(w) * h * ch);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = image.pixel(x, y);
            out.push_back(p[2]); // TGA stores BGR(A)
            out.push_back(p[1]);
            out.push_back(p[0]);
            if (ch == 4) out.push_back(p[3]);
        }
    }
    return out;
}

bool TgaWriter::write(const Image& image, const std::string& path)
{
    std::vector<uint8_t> bytes = encode(image);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

} // namespace assetgen

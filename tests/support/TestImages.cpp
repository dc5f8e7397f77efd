#include "TestImages.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>

namespace TestImages {
namespace {

void Put16(std::vector<std::uint8_t>& out, int v)
{
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t((v >> 8) & 0xFF));
}

bool WriteTga(const std::string& path, std::uint8_t imageType, int width, int height, int bitsPerPixel,
              const std::vector<std::uint8_t>& palette, const std::vector<std::uint8_t>& pixels, bool topFirst)
{
    std::vector<std::uint8_t> out;
    out.push_back(0);                                 // no image id
    out.push_back(palette.empty() ? 0 : 1);           // colour map type
    out.push_back(imageType);
    Put16(out, 0);                                    // first palette entry
    Put16(out, int(palette.size() / 3));              // palette length
    out.push_back(palette.empty() ? 0 : 24);          // palette entry bits
    Put16(out, 0);                                    // x origin
    Put16(out, 0);                                    // y origin
    Put16(out, width);
    Put16(out, height);
    out.push_back(std::uint8_t(bitsPerPixel));
    std::uint8_t descriptor = bitsPerPixel == 32 ? 8 : 0; // alpha bits
    if (topFirst)
        descriptor |= 0x20;
    out.push_back(descriptor);
    out.insert(out.end(), palette.begin(), palette.end());
    out.insert(out.end(), pixels.begin(), pixels.end());

    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

bool WriteTrueColor(const std::string& path, int width, int height, int bytesPerPixel,
                    const std::vector<std::uint8_t>& pixels, bool topFirst)
{
    return WriteTga(path, 2, width, height, bytesPerPixel * 8, std::vector<std::uint8_t>(), pixels, topFirst);
}

bool WriteGrey(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels,
               bool topFirst)
{
    return WriteTga(path, 3, width, height, 8, std::vector<std::uint8_t>(), pixels, topFirst);
}

bool WritePalette(const std::string& path, int width, int height, const std::vector<std::uint8_t>& indices,
                  const std::vector<std::uint8_t>& paletteBgr, bool topFirst)
{
    return WriteTga(path, 1, width, height, 8, paletteBgr, indices, topFirst);
}

namespace {

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0xFFFFFFFFu)
{
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

void Put32Be(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(v >> shift));
}

void Chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data)
{
    Put32Be(out, std::uint32_t(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32Be(out, Crc32(&out[start], out.size() - start) ^ 0xFFFFFFFFu);
}

} // namespace

bool WritePng(const std::string& path, int width, int height, int colourType, int bitDepth,
              const std::vector<std::uint8_t>& samples)
{
    const int channels = colourType == 0 ? 1 : colourType == 2 ? 3 : colourType == 4 ? 2 : 4;
    const std::size_t rowBytes = std::size_t(width) * channels * (bitDepth / 8);
    if (samples.size() != rowBytes * height)
        return false;

    // Scan lines with filter 0, in stored deflate blocks inside a zlib stream.
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), samples.begin() + rowBytes * y, samples.begin() + rowBytes * (y + 1));
    }
    std::vector<std::uint8_t> z = {0x78, 0x01};
    for (std::size_t pos = 0; pos < raw.size() || pos == 0;) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
        z.push_back(pos + n == raw.size() ? 1 : 0);
        z.push_back(std::uint8_t(n));
        z.push_back(std::uint8_t(n >> 8));
        z.push_back(std::uint8_t(~n));
        z.push_back(std::uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
        pos += n;
        if (n == 0)
            break;
    }
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    Put32Be(z, (b << 16) | a);

    std::vector<std::uint8_t> header;
    Put32Be(header, std::uint32_t(width));
    Put32Be(header, std::uint32_t(height));
    header.insert(header.end(), {std::uint8_t(bitDepth), std::uint8_t(colourType), 0, 0, 0});

    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});

    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgbBottomFirst)
{
    const std::size_t row = std::size_t(width) * 3;
    if (width <= 0 || height <= 0 || rgbBottomFirst.size() != row * std::size_t(height))
        return false;
    std::vector<std::uint8_t> topFirst;
    topFirst.reserve(rgbBottomFirst.size());
    for (int y = height - 1; y >= 0; --y)
        topFirst.insert(topFirst.end(), rgbBottomFirst.begin() + y * row, rgbBottomFirst.begin() + (y + 1) * row);
    return WritePng(path, width, height, 2, 8, topFirst);
}

bool SaveReadBufferPng(const std::string& path, int width, int height)
{
    std::vector<std::uint8_t> pixels(std::size_t(width) * std::size_t(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return WritePng(path, width, height, pixels);
}

bool WriteCubeFaces(const std::string& folder, const std::string& name, int size,
                    const std::uint8_t top[6][3], const std::uint8_t bottom[6][3])
{
    const char* const prefixes[6] = {"px_", "py_", "pz_", "nx_", "ny_", "nz_"};
    for (int f = 0; f < 6; ++f) {
        std::vector<std::uint8_t> rgb;
        for (int y = 0; y < size; ++y) {
            const std::uint8_t* c = y < size / 2 ? bottom[f] : top[f]; // rows bottom first
            for (int x = 0; x < size; ++x)
                rgb.insert(rgb.end(), c, c + 3);
        }
        if (!WritePng(folder + prefixes[f] + name, size, size, rgb))
            return false;
    }
    return true;
}

} // namespace TestImages

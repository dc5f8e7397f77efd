#include "TestImages.h"

#include <GL/glew.h>
#include <IL/il.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace TestImages {
namespace {

void Put16(std::vector<std::uint8_t>& out, int v)
{
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t((v >> 8) & 0xFF));
}

bool WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
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

bool WriteRunLengthTga(const std::string& path, int width, int height, int bytesPerPixel,
                       const std::vector<std::uint8_t>& packets)
{
    return WriteTga(path, 10, width, height, bytesPerPixel * 8, std::vector<std::uint8_t>(), packets, true);
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

int Paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// A PNG of the given header around filtered scan lines, deflated.
bool WritePngFile(const std::string& path, std::uint32_t width, std::uint32_t height, int colourType, int bitDepth,
                  const std::vector<std::uint8_t>& raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<std::uint8_t> z(size);
    if (compress2(z.data(), &size, raw.data(), uLong(raw.size()), 9) != Z_OK)
        return false;
    z.resize(size);

    std::vector<std::uint8_t> header;
    Put32Be(header, width);
    Put32Be(header, height);
    header.insert(header.end(), {std::uint8_t(bitDepth), std::uint8_t(colourType), 0, 0, 0});
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});
    return WriteAll(path, out);
}

} // namespace

bool WritePng(const std::string& path, int width, int height, int colourType, int bitDepth,
              const std::vector<std::uint8_t>& samples)
{
    const int channels = colourType == 0 ? 1 : colourType == 2 ? 3 : colourType == 4 ? 2 : 4;
    const std::size_t pixelBytes = std::size_t(channels) * (bitDepth / 8);
    const std::size_t rowBytes = std::size_t(width) * pixelBytes;
    if (samples.size() != rowBytes * height)
        return false;

    // Every scan line with the Paeth filter, then deflated.
    std::vector<std::uint8_t> raw;
    raw.reserve((rowBytes + 1) * height);
    for (int y = 0; y < height; ++y) {
        raw.push_back(4);
        const std::uint8_t* row = &samples[rowBytes * y];
        const std::uint8_t* up = y > 0 ? row - rowBytes : nullptr;
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const int left = i >= pixelBytes ? row[i - pixelBytes] : 0;
            const int above = up ? up[i] : 0;
            const int corner = up && i >= pixelBytes ? up[i - pixelBytes] : 0;
            raw.push_back(std::uint8_t(row[i] - Paeth(left, above, corner)));
        }
    }
    return WritePngFile(path, std::uint32_t(width), std::uint32_t(height), colourType, bitDepth, raw);
}

bool WritePngHeader(const std::string& path, std::uint32_t width, std::uint32_t height, int colourType,
                    int bitDepth, int rows)
{
    const int channels = colourType == 0 || colourType == 3 ? 1 : colourType == 2 ? 3 : colourType == 4 ? 2 : 4;
    const std::size_t rowBytes = (std::size_t(width) * channels * bitDepth + 7) / 8 + 1;
    return WritePngFile(path, width, height, colourType, bitDepth, std::vector<std::uint8_t>(rowBytes * rows, 0));
}

bool WriteBmp(const std::string& path, std::int32_t width, std::int32_t height, int bitsPerPixel,
              const std::vector<std::uint8_t>& rows, std::uint32_t colours, std::uint32_t compression)
{
    const std::uint32_t written = colours < 256 ? colours : 256;
    const std::uint32_t offset = 14 + 40 + 4 * written;
    std::vector<std::uint8_t> out = {'B', 'M'};
    auto put32 = [&out](std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(std::uint8_t(v >> shift));
    };
    put32(offset + std::uint32_t(rows.size()));
    put32(0);
    put32(offset);
    put32(40);
    put32(std::uint32_t(width));
    put32(std::uint32_t(height));
    Put16(out, 1);
    Put16(out, bitsPerPixel);
    for (std::uint32_t v : {compression, std::uint32_t(rows.size()), 2835u, 2835u, colours, 0u})
        put32(v);
    for (std::uint32_t i = 0; i < written; ++i)
        out.insert(out.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
    out.insert(out.end(), rows.begin(), rows.end());
    return WriteAll(path, out);
}

bool WriteDds(const std::string& path, const Dds& dds)
{
    std::vector<std::uint8_t> out = {'D', 'D', 'S', ' '};
    auto put = [&out](std::initializer_list<std::uint32_t> values) {
        for (std::uint32_t v : values)
            for (int shift = 0; shift < 32; shift += 8)
                out.push_back(std::uint8_t(v >> shift));
    };
    const bool alpha = !dds.fourCC && dds.bitsPerPixel == 32;
    const bool is565 = !dds.fourCC && dds.bitsPerPixel == 16;
    std::uint32_t fourCC = 0;
    for (int i = 0; dds.fourCC && i < 4; ++i)
        fourCC |= std::uint32_t(std::uint8_t(dds.fourCC[i])) << (8 * i);
    // Flags: caps, sides and pixel format, the mip count and depth when given.
    put({124, 0x1007u | (dds.levels ? 0x20000u : 0) | (dds.depth ? 0x800000u : 0), dds.height, dds.width, 0,
         dds.depth, dds.levels, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    put({32, dds.fourCC ? 0x4u : alpha ? 0x41u : 0x40u, fourCC, dds.fourCC ? 0u : std::uint32_t(dds.bitsPerPixel),
         is565 ? 0xF800u : 0xFF0000u, is565 ? 0x07E0u : 0xFF00u, is565 ? 0x1Fu : 0xFFu, alpha ? 0xFF000000u : 0});
    // Caps: a texture, complex with levels or faces; the first `faces` face bits.
    const std::uint32_t faceBits = 0xFC00u & ~(0xFC00u << dds.faces);
    put({0x1000u | (dds.levels > 1 || dds.faces ? 0x8u : 0), (dds.faces ? 0x200u | faceBits : 0) |
         (dds.depth ? 0x200000u : 0), 0, 0, 0});
    out.insert(out.end(), dds.data.begin(), dds.data.end());
    return WriteAll(path, out);
}

bool WriteJpeg(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb)
{
    if (rgb.size() != std::size_t(width) * height * 3)
        return false;
    ilInit();
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    std::vector<std::uint8_t> out(rgb.size() + 4096);
    ILuint size = 0;
    if (ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, const_cast<std::uint8_t*>(rgb.data())))
        size = ilSaveL(IL_JPG, out.data(), ILuint(out.size()));
    ilDeleteImages(1, &id);
    while (ilGetError() != IL_NO_ERROR) {
    }
    out.resize(size);
    return size > 0 && WriteAll(path, out);
}

bool SetJpegSize(const std::string& path, std::uint32_t width, std::uint32_t height)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Segments after the start marker, up to the first frame header.
    for (std::size_t at = 2; at + 9 <= file.size() && file[at] == 0xFF;) {
        const int marker = file[at + 1];
        if (marker >= 0xC0 && marker <= 0xC2) {
            file[at + 5] = std::uint8_t(height >> 8);
            file[at + 6] = std::uint8_t(height);
            file[at + 7] = std::uint8_t(width >> 8);
            file[at + 8] = std::uint8_t(width);
            return WriteAll(path, file);
        }
        at += 2 + ((std::size_t(file[at + 2]) << 8) | file[at + 3]);
    }
    return false;
}

bool ReadPngRgb(const std::string& path, int& width, int& height, std::vector<std::uint8_t>& rgbTopFirst)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || !std::equal(signature, signature + 8, file.begin()))
        return false;
    auto be32 = [&](std::size_t at) {
        return (std::uint32_t(file[at]) << 24) | (std::uint32_t(file[at + 1]) << 16) |
               (std::uint32_t(file[at + 2]) << 8) | std::uint32_t(file[at + 3]);
    };
    std::vector<std::uint8_t> z;
    width = height = 0;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::size_t length = be32(at);
        const std::string type(file.begin() + long(at) + 4, file.begin() + long(at) + 8);
        if (at + 12 + length > file.size())
            return false;
        const std::uint8_t* data = &file[at + 8];
        if (type == "IHDR") {
            width = int(be32(at + 8));
            height = int(be32(at + 12));
            // 8-bit RGB, not interlaced: what WritePng writes for frames.
            if (length < 13 || data[8] != 8 || data[9] != 2 || data[12] != 0)
                return false;
        } else if (type == "IDAT") {
            z.insert(z.end(), data, data + length);
        }
        at += 12 + length;
    }
    const std::size_t rowBytes = std::size_t(width) * 3;
    std::vector<std::uint8_t> raw((rowBytes + 1) * std::size_t(height));
    uLongf size = uLongf(raw.size());
    if (width <= 0 || height <= 0 || uncompress(raw.data(), &size, z.data(), uLong(z.size())) != Z_OK ||
        size != raw.size())
        return false;
    rgbTopFirst.assign(rowBytes * std::size_t(height), 0);
    for (int y = 0; y < height; ++y) {
        const int filter = raw[(rowBytes + 1) * std::size_t(y)];
        const std::uint8_t* src = &raw[(rowBytes + 1) * std::size_t(y) + 1];
        std::uint8_t* row = &rgbTopFirst[rowBytes * std::size_t(y)];
        const std::uint8_t* up = y > 0 ? row - rowBytes : nullptr;
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const int left = i >= 3 ? row[i - 3] : 0;
            const int above = up ? up[i] : 0;
            const int corner = up && i >= 3 ? up[i - 3] : 0;
            const int predicted = filter == 1   ? left
                                  : filter == 2 ? above
                                  : filter == 3 ? (left + above) / 2
                                  : filter == 4 ? Paeth(left, above, corner)
                                                : 0;
            row[i] = std::uint8_t(src[i] + predicted);
        }
    }
    return true;
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

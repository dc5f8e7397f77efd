#include "PngWriter.h"

#include <cstdlib>
#include <fstream>

#include <zlib.h>

namespace assetgen {

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body)
{
    put32(out, static_cast<uint32_t>(body.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + start, static_cast<uInt>(out.size() - start));
    put32(out, static_cast<uint32_t>(crc));
}

int paeth(int a, int b, int c)
{
    int p = a + b - c;
    int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

} // namespace

std::vector<uint8_t> PngWriter::encode(const Image& image)
{
    const int w = image.width(), h = image.height(), ch = image.channels();
    const size_t stride = static_cast<size_t>(w) * ch;
    // Per row, keep the filter with the smallest sum of absolute bytes (the usual heuristic).
    std::vector<uint8_t> raw;
    raw.reserve((stride + 1) * h);
    std::vector<uint8_t> best(stride), trial(stride);
    std::vector<uint8_t> zero(stride, 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* cur = image.pixel(0, y);
        const uint8_t* up = y > 0 ? image.pixel(0, y - 1) : zero.data();
        long bestScore = -1;
        int bestType = 0;
        for (int type = 0; type < 5; ++type) {
            long score = 0;
            for (size_t i = 0; i < stride; ++i) {
                int a = i >= static_cast<size_t>(ch) ? cur[i - ch] : 0;
                int b = up[i];
                int c = i >= static_cast<size_t>(ch) ? up[i - ch] : 0;
                int pred = 0;
                switch (type) {
                case 1: pred = a; break;
                case 2: pred = b; break;
                case 3: pred = (a + b) / 2; break;
                case 4: pred = paeth(a, b, c); break;
                default: break;
                }
                uint8_t v = static_cast<uint8_t>(cur[i] - pred);
                trial[i] = v;
                score += v < 128 ? v : 256 - v;
            }
            if (bestScore < 0 || score < bestScore) {
                bestScore = score;
                bestType = type;
                best.swap(trial);
            }
        }
        raw.push_back(static_cast<uint8_t>(bestType));
        raw.insert(raw.end(), best.begin(), best.end());
    }

    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6);
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    put32(ihdr, static_cast<uint32_t>(w));
    put32(ihdr, static_cast<uint32_t>(h));
    ihdr.push_back(8);                          // bit depth
    ihdr.push_back(ch == 4 ? 6 : (ch == 3 ? 2 : 0)); // colour type
    ihdr.push_back(0);                          // deflate
    ihdr.push_back(0);                          // adaptive filtering
    ihdr.push_back(0);                          // no interlace
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", packed);
    chunk(out, "IEND", {});
    return out;
}

bool PngWriter::write(const Image& image, const std::string& path)
{
    std::vector<uint8_t> bytes = encode(image);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

} // namespace assetgen

#include "WavLength.h"

#include <algorithm>
#include <cstring>

namespace Win32 {
namespace {

Uint32 LittleEndian32(const Uint8* p)
{
    return Uint32(p[0]) | (Uint32(p[1]) << 8) | (Uint32(p[2]) << 16) | (Uint32(p[3]) << 24);
}

Uint16 LittleEndian16(const Uint8* p)
{
    return Uint16(p[0] | (p[1] << 8));
}

} // namespace

bool IsWav(const Uint8* data, std::size_t size)
{
    return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0;
}

double WavSeconds(const Uint8* data, std::size_t size)
{
    if (!IsWav(data, size))
        return -1.0;
    int channels = 0;
    Uint32 rate = 0;
    int bits = 0;
    std::size_t dataBytes = 0;
    bool haveData = false;
    // Chunks: a four-letter name, a 32-bit size, the body padded to an even size.
    for (std::size_t at = 12; at + 8 <= size;) {
        const Uint8* chunk = data + at;
        const std::size_t body = std::min<std::size_t>(LittleEndian32(chunk + 4), size - at - 8);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && body >= 16) {
            channels = LittleEndian16(chunk + 10);
            rate = LittleEndian32(chunk + 12);
            bits = LittleEndian16(chunk + 22);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            dataBytes = std::max(dataBytes, body);
            haveData = true;
        }
        at += 8 + body + (body & 1);
    }
    if (!haveData || channels == 0 || rate == 0)
        return -1.0;
    // Compressed formats (ADPCM) name their bits per sample, 4 at the least.
    const double samples = double(dataBytes) * 8.0 / std::max(bits, 4);
    return samples / channels / rate;
}

} // namespace Win32

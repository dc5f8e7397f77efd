#include "Mp3Length.h"

#include <algorithm>
#include <vector>

namespace Win32 {
namespace {

Uint32 BigEndian(const Uint8* p)
{
    return (Uint32(p[0]) << 24) | (Uint32(p[1]) << 16) | (Uint32(p[2]) << 8) | Uint32(p[3]);
}

// Bytes of an ID3v2 tag at the start, header and footer included; 0 for none.
std::size_t Id3Bytes(const Uint8* data, std::size_t size)
{
    if (size < 10 || data[0] != 'I' || data[1] != 'D' || data[2] != '3')
        return 0;
    std::size_t bytes = 10 + ((std::size_t(data[6] & 0x7F) << 21) | (std::size_t(data[7] & 0x7F) << 14) |
                              (std::size_t(data[8] & 0x7F) << 7) | std::size_t(data[9] & 0x7F));
    if (data[5] & 0x10)
        bytes += 10;
    return std::min(bytes, size);
}

// Longer than any frame: layer II at 160 kbit/s and 8 kHz takes 2881 bytes.
const std::size_t kLongestFrame = 4096;
// A free-format frame tells no length: counted as short as a frame can be
// (its header and the least side information), which no real one is.
const std::size_t kShortestFrame = 13;

// The frame a header at `h` starts: its length in bytes and the seconds it
// plays. false for bytes that are no header a decoder would take.
bool ReadFrameHeader(const Uint8* h, std::size_t* bytes, double* seconds)
{
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return false;
    const int version = (h[1] >> 3) & 3; // 0 MPEG 2.5, 2 MPEG 2, 3 MPEG 1
    const int layer = 4 - ((h[1] >> 1) & 3);
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer == 4 || bitrateIndex == 15 || rateIndex == 3)
        return false;
    static const int kRates[3] = {44100, 48000, 32000};
    static const int kKbps[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    const bool mpeg1 = version == 3;
    const int rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const int bitrate = kKbps[mpeg1 ? 0 : 1][layer - 1][bitrateIndex] * 1000;
    const int padding = (h[2] >> 1) & 1;
    const int samples = layer == 1 ? 384 : (layer == 3 && !mpeg1) ? 576 : 1152;
    if (bitrate == 0)
        *bytes = kShortestFrame;
    else if (layer == 1)
        *bytes = std::size_t(12 * bitrate / rate + padding) * 4;
    else
        *bytes = std::size_t(samples / 8 * bitrate / rate + padding);
    *seconds = double(samples) / rate;
    return true;
}

} // namespace

bool IsMp3(const Uint8* data, std::size_t size)
{
    std::size_t bytes = 0;
    double seconds = 0.0;
    return Id3Bytes(data, size) > 0 || (size >= 4 && ReadFrameHeader(data, &bytes, &seconds));
}

double Mp3Seconds(const Uint8* data, std::size_t size)
{
    // longest[k % kLongestFrame]: the most seconds that frames lying wholly
    // before byte k play. A frame from byte i reaches at most
    // kLongestFrame - 1 bytes on, so a slot is free again once passed.
    std::vector<double> longest(kLongestFrame, 0.0);
    double cutShort = 0.0; // a last frame running past the end
    bool found = false;
    for (std::size_t i = Id3Bytes(data, size); i < size; ++i) {
        const double here = longest[i % kLongestFrame];
        longest[i % kLongestFrame] = 0.0;
        double& next = longest[(i + 1) % kLongestFrame];
        next = std::max(next, here);
        std::size_t bytes = 0;
        double seconds = 0.0;
        if (i + 4 > size || !ReadFrameHeader(data + i, &bytes, &seconds))
            continue;
        found = true;
        if (i + bytes <= size) {
            double& end = longest[(i + bytes) % kLongestFrame];
            end = std::max(end, here + seconds);
        } else {
            cutShort = std::max(cutShort, here + seconds);
        }
    }
    if (!found)
        return -1.0;
    return std::max(longest[size % kLongestFrame], cutShort);
}

Sint64 DeclaredMp3Bytes(SDL_RWops* file, Sint64* streamStart)
{
    Uint8 head[10];
    Sint64 start = 0;
    if (SDL_RWseek(file, 0, RW_SEEK_SET) != 0 || SDL_RWread(file, head, 1, sizeof(head)) != sizeof(head))
        return -1;
    if (head[0] == 'I' && head[1] == 'D' && head[2] == '3') {
        // Size in 7-bit bytes, not counting the header or a footer.
        start = 10 + ((Sint64(head[6] & 0x7F) << 21) | (Sint64(head[7] & 0x7F) << 14) |
                      (Sint64(head[8] & 0x7F) << 7) | Sint64(head[9] & 0x7F));
        if (head[5] & 0x10)
            start += 10;
    }
    if (streamStart)
        *streamStart = start;

    // The frame header, its side information, then the tag: "Xing" or
    // "Info", flags, and the frame and byte counts the flags announce.
    Uint8 frame[4 + 32 + 16];
    if (SDL_RWseek(file, start, RW_SEEK_SET) != start || SDL_RWread(file, frame, 1, sizeof(frame)) != sizeof(frame))
        return -1;
    if (frame[0] != 0xFF || (frame[1] & 0xE0) != 0xE0)
        return -1;
    const bool mpeg1 = ((frame[1] >> 3) & 3) == 3;
    const bool mono = ((frame[3] >> 6) & 3) == 3;
    const int sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const Uint8* tag = frame + 4 + sideInfo;
    const bool xing = tag[0] == 'X' && tag[1] == 'i' && tag[2] == 'n' && tag[3] == 'g';
    const bool info = tag[0] == 'I' && tag[1] == 'n' && tag[2] == 'f' && tag[3] == 'o';
    if (!xing && !info)
        return -1;
    const Uint32 flags = BigEndian(tag + 4);
    if (!(flags & 2))
        return -1;
    const Uint8* bytes = tag + 8 + ((flags & 1) ? 4 : 0);
    return BigEndian(bytes);
}

} // namespace Win32

#include "Mp3Length.h"

namespace Win32 {
namespace {

Uint32 BigEndian(const Uint8* p)
{
    return (Uint32(p[0]) << 24) | (Uint32(p[1]) << 16) | (Uint32(p[2]) << 8) | Uint32(p[3]);
}

} // namespace

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

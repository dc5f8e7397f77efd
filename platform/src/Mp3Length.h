// The length an MP3 stream declares for itself: encoders put a Xing or Info
// tag in the first frame with the stream's byte count. The decoder plays
// whatever part of a file it gets, so this is how a file cut short shows.
#ifndef VORM_PLATFORM_MP3LENGTH_H
#define VORM_PLATFORM_MP3LENGTH_H

#include <SDL.h>

namespace Win32 {

// Bytes the stream declares from its first frame on, or -1 when the file
// has no such tag; `streamStart` gets the offset of that first frame (after
// an ID3v2 tag). Leaves the file's position wherever it read last.
Sint64 DeclaredMp3Bytes(SDL_RWops* file, Sint64* streamStart);

} // namespace Win32

#endif

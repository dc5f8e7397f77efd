// The length an MP3 stream declares for itself: encoders put a Xing or Info
// tag in the first frame with the stream's byte count. The decoder plays
// whatever part of a file it gets, so this is how a file cut short shows.
// And the longest the stream can play, told from its frame headers alone:
// how much the decoder may make of it, known before it decodes.
#ifndef VORM_PLATFORM_MP3LENGTH_H
#define VORM_PLATFORM_MP3LENGTH_H

#include <SDL.h>

#include <cstddef>

namespace Win32 {

// Bytes the stream declares from its first frame on, or -1 when the file
// has no such tag; `streamStart` gets the offset of that first frame (after
// an ID3v2 tag). Leaves the file's position wherever it read last.
Sint64 DeclaredMp3Bytes(SDL_RWops* file, Sint64* streamStart);

// Whether the bytes start as the mixer knows an MP3 file: an ID3v2 tag or
// a frame header.
bool IsMp3(const Uint8* data, std::size_t size);

// Seconds the frames of the stream play at most: of every chain of frame
// headers that do not overlap, the one that plays longest, each frame at
// its own sample rate. Whatever a decoder finds in the bytes, it finds no
// more. -1 when no frame header is found.
double Mp3Seconds(const Uint8* data, std::size_t size);

} // namespace Win32

#endif

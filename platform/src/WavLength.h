// The longest a WAV file's stream can play, told from its format and the
// size of its data before any decoding.
#ifndef VORM_PLATFORM_WAVLENGTH_H
#define VORM_PLATFORM_WAVLENGTH_H

#include <SDL.h>

#include <cstddef>

namespace Win32 {

// Whether the bytes start as a WAV file does ("RIFF", size, "WAVE").
bool IsWav(const Uint8* data, std::size_t size);

// Seconds the data chunk plays at most: its bytes (as far as the file holds
// them) as samples of the format's width, at least four bits, over its
// channels at its rate. -1 without a format or data chunk, or with a format
// of no channels or no rate.
double WavSeconds(const Uint8* data, std::size_t size);

} // namespace Win32

#endif

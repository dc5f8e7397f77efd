#ifndef VORM_PLATFORM_SOUNDSTATE_H
#define VORM_PLATFORM_SOUNDSTATE_H

#include "Platform/SoundResult.h"

// State the sound sources share: whether the mixer output is open, and the
// text of the latest failure.
namespace Win32 {

bool SoundOutputOpen();
void SetSoundOutputOpen(bool open);

// Keeps the text for SoundErrorString and returns the result.
SOUND_RESULT SoundFailure(SOUND_RESULT result, const char* text);

} // namespace Win32

#endif

#ifndef VORM_PLATFORM_SOUND_H
#define VORM_PLATFORM_SOUND_H

#include "Platform/SoundResult.h"

// A sound held whole in memory, made by SoundSystem::CreateSound.
namespace Win32 {

class SoundSystem;

class Sound
{
public:
    // Whether channels started from now on play it in an endless loop.
    SOUND_RESULT SetLoop(bool loop);
    // Stops the channels playing it and frees it.
    SOUND_RESULT Release();

    bool IsLooping() const { return m_bLoop; }
    void* Data() const { return m_pChunk; }

private:
    friend class SoundSystem;
    explicit Sound(void* pChunk);
    ~Sound();
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    void* m_pChunk;
    bool m_bLoop;
};

} // namespace Win32

#endif

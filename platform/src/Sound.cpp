#include "Platform/Sound.h"

#include "SoundState.h"

#include <SDL_mixer.h>

namespace Win32 {

Sound::Sound(void* pChunk)
    : m_pChunk(pChunk)
    , m_bLoop(false)
{
}

Sound::~Sound()
{
}

SOUND_RESULT Sound::SetLoop(bool loop)
{
    m_bLoop = loop;
    return SOUND_OK;
}

SOUND_RESULT Sound::Release()
{
    Mix_Chunk* chunk = static_cast<Mix_Chunk*>(m_pChunk);
    if (SoundOutputOpen()) {
        // The mixer would read freed samples from a channel still playing them.
        const int channels = Mix_AllocateChannels(-1);
        for (int i = 0; i < channels; ++i)
            if (Mix_GetChunk(i) == chunk && Mix_Playing(i))
                Mix_HaltChannel(i);
    }
    Mix_FreeChunk(chunk);
    delete this;
    return SOUND_OK;
}

} // namespace Win32

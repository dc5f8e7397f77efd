#include "Platform/SoundChannel.h"

#include "SoundState.h"

#include <SDL_mixer.h>

namespace Win32 {
namespace {

SOUND_RESULT CheckOpen()
{
    return SoundOutputOpen() ? SOUND_OK : SoundFailure(SOUND_ERR_INVALID_HANDLE, "the sound system is closed");
}

} // namespace

SoundChannel::SoundChannel(int index)
    : m_index(index)
{
}

SOUND_RESULT SoundChannel::SetPaused(bool paused)
{
    if (const SOUND_RESULT r = CheckOpen())
        return r;
    if (paused)
        Mix_Pause(m_index);
    else
        Mix_Resume(m_index);
    return SOUND_OK;
}

SOUND_RESULT SoundChannel::Stop()
{
    if (const SOUND_RESULT r = CheckOpen())
        return r;
    Mix_HaltChannel(m_index);
    return SOUND_OK;
}

SOUND_RESULT SoundChannel::SetMute(bool mute)
{
    if (const SOUND_RESULT r = CheckOpen())
        return r;
    Mix_Volume(m_index, mute ? 0 : MIX_MAX_VOLUME);
    return SOUND_OK;
}

SOUND_RESULT SoundChannel::IsPlaying(bool* pPlaying) const
{
    if (!pPlaying)
        return SoundFailure(SOUND_ERR_INVALID_PARAM, "no place for the answer");
    *pPlaying = false;
    if (const SOUND_RESULT r = CheckOpen())
        return r;
    *pPlaying = Mix_Playing(m_index) != 0;
    return SOUND_OK;
}

SOUND_RESULT SoundChannel::GetPaused(bool* pPaused) const
{
    if (!pPaused)
        return SoundFailure(SOUND_ERR_INVALID_PARAM, "no place for the answer");
    *pPaused = false;
    if (const SOUND_RESULT r = CheckOpen())
        return r;
    *pPaused = Mix_Paused(m_index) != 0;
    return SOUND_OK;
}

SOUND_RESULT SoundChannel::GetMute(bool* pMute) const
{
    if (!pMute)
        return SoundFailure(SOUND_ERR_INVALID_PARAM, "no place for the answer");
    *pMute = false;
    if (const SOUND_RESULT r = CheckOpen())
        return r;
    // The mixer's own volume says it; a volume query leaves it as it is.
    *pMute = Mix_Volume(m_index, -1) == 0;
    return SOUND_OK;
}

} // namespace Win32

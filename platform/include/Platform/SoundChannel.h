#ifndef VORM_PLATFORM_SOUNDCHANNEL_H
#define VORM_PLATFORM_SOUNDCHANNEL_H

#include "Platform/SoundResult.h"

// One channel of the sound system: what SoundSystem::PlaySound hands out to
// pause, stop or mute the sound it plays. Owned by the system.
namespace Win32 {

class SoundChannel
{
public:
    SOUND_RESULT SetPaused(bool paused);
    SOUND_RESULT Stop();
    // A muted channel plays on silently; unmuting resumes where it is.
    SOUND_RESULT SetMute(bool mute);

    SOUND_RESULT IsPlaying(bool* pPlaying) const;
    SOUND_RESULT GetPaused(bool* pPaused) const;
    SOUND_RESULT GetMute(bool* pMute) const;

private:
    friend class SoundSystem;
    explicit SoundChannel(int index);
    SoundChannel(const SoundChannel&) = delete;
    SoundChannel& operator=(const SoundChannel&) = delete;

    int m_index;
};

} // namespace Win32

#endif

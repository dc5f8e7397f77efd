#ifndef VORM_PLATFORM_SOUNDSYSTEM_H
#define VORM_PLATFORM_SOUNDSYSTEM_H

#include "Platform/SoundResult.h"

#include <vector>

// The sound system: the output device, its channels and sound loading, over
// SDL2_mixer. One exists at a time.
namespace Win32 {

class Sound;
class SoundChannel;

class SoundSystem
{
public:
    static SOUND_RESULT Create(SoundSystem** ppSystem);

    // Opens the output with this many channels. Without an audio device the
    // output goes to SDL's dummy driver (one line on standard error says so).
    SOUND_RESULT Init(int maxChannels);
    // Reads and decodes the whole file (WAV, OGG, MP3).
    SOUND_RESULT CreateSound(const char* path, Sound** ppSound);
    // Plays on a free channel.
    SOUND_RESULT PlaySound(Sound* pSound, bool paused, SoundChannel** ppChannel);
    // Stops every channel and closes the output; sounds stay to be released.
    SOUND_RESULT Close();
    // Closes when still open and deletes the system.
    SOUND_RESULT Release();

    bool IsOpen() const { return m_bOpen; }

private:
    SoundSystem();
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    bool m_bOpen;
    std::vector<SoundChannel*> m_channels;
};

} // namespace Win32

#endif

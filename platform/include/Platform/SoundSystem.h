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
    // Largest sound file read: far above the demo's track (366 KB), and a
    // read that ends well within a second.
    static constexpr long long kFileLimit = 16 << 20;
    // Most a sound may take decoded, at the output's rate and width: some
    // 12 minutes at 44.1 kHz in 16-bit stereo, the demo's track 4 MB.
    static constexpr long long kDecodedLimit = 128 << 20;

    // Reads and decodes the whole file (WAV or MP3): only a regular file of
    // at most kFileLimit bytes, whose stream its own headers tell to decode
    // into at most kDecodedLimit bytes.
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

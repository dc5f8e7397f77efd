#ifndef VORM_SOUND_MUSICPLAYER_H
#define VORM_SOUND_MUSICPLAYER_H

#include <map>
#include <set>
#include <string>

namespace Win32 {
class SoundChannel;
class Sound;
class SoundSystem;
}

// The demo's music: sounds loaded by name from one folder, played, looped,
// paused, stopped and muted on the channel of the last play.
class MusicPlayer
{
public:
    explicit MusicPlayer(const std::string& folder);
    // Releases every sound, then the sound system.
    ~MusicPlayer();

    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // A file that does not load is reported once, with its path; playing
    // that name then does nothing.
    void Load(const std::string& name);
    void SetLoop(const std::string& name, bool loop);
    void Play(const std::string& name);
    void PlayAll();
    void Pause();
    void Stop();
    void SetMute(bool mute);

    Win32::SoundChannel* GetChannel() const { return m_pChannel; }
    bool IsLoaded(const std::string& name) const { return m_sounds.count(name) != 0; }

private:
    // False (with one line on standard output) for a failed result.
    static bool CheckResult(int result);
    Win32::Sound* Find(const std::string& name) const;

    Win32::SoundSystem* m_pSystem;
    Win32::SoundChannel* m_pChannel;
    std::string m_folder;
    std::map<std::string, Win32::Sound*> m_sounds;
    std::set<std::string> m_failed;
};

#endif

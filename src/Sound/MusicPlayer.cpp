#include "Sound/MusicPlayer.h"

#include "Platform/Sound.h"
#include "Platform/SoundChannel.h"
#include "Platform/SoundSystem.h"

#include <iostream>

namespace {
const int kChannels = 32;
}

MusicPlayer::MusicPlayer(const std::string& folder)
    : m_pSystem(nullptr)
    , m_pChannel(nullptr)
    , m_folder(folder)
{
    CheckResult(Win32::SoundSystem::Create(&m_pSystem));
    if (m_pSystem)
        CheckResult(m_pSystem->Init(kChannels));
}

MusicPlayer::~MusicPlayer()
{
    for (auto& entry : m_sounds)
        entry.second->Release();
    m_sounds.clear();
    m_pChannel = nullptr;
    if (m_pSystem) {
        m_pSystem->Release(); // closes it first
        m_pSystem = nullptr;
    }
}

bool MusicPlayer::CheckResult(int result)
{
    if (result == Win32::SOUND_OK)
        return true;
    std::cout << "Sound error: " << Win32::SoundErrorString(static_cast<Win32::SOUND_RESULT>(result)) << std::endl;
    return false;
}

Win32::Sound* MusicPlayer::Find(const std::string& name) const
{
    // Looking up a name must not add it: unknown names stay unknown.
    const auto it = m_sounds.find(name);
    return it == m_sounds.end() ? nullptr : it->second;
}

void MusicPlayer::Load(const std::string& name)
{
    if (!m_pSystem) {
        CheckResult(Win32::SOUND_ERR_NOT_READY);
        return;
    }
    Win32::Sound* sound = nullptr;
    const std::string path = m_folder + name;
    const int result = m_pSystem->CreateSound(path.c_str(), &sound);
    if (result != Win32::SOUND_OK) {
        // Said once, here: playing it later does nothing without a word.
        std::cout << "Sound not loaded: " << path << ": "
                  << Win32::SoundErrorString(static_cast<Win32::SOUND_RESULT>(result)) << std::endl;
        m_failed.insert(name);
        return;
    }
    m_failed.erase(name);
    // Loading a name again replaces its sound; the old one must not leak.
    Win32::Sound*& slot = m_sounds[name];
    if (slot)
        slot->Release();
    slot = sound;
}

void MusicPlayer::SetLoop(const std::string& name, bool loop)
{
    if (Win32::Sound* sound = Find(name))
        sound->SetLoop(loop);
}

void MusicPlayer::Play(const std::string& name)
{
    if (!m_pSystem) {
        CheckResult(Win32::SOUND_ERR_NOT_READY);
        return;
    }
    if (m_failed.count(name))
        return;
    CheckResult(m_pSystem->PlaySound(Find(name), false, &m_pChannel));
}

void MusicPlayer::PlayAll()
{
    for (const auto& entry : m_sounds)
        Play(entry.first);
}

void MusicPlayer::Pause()
{
    if (m_pChannel)
        m_pChannel->SetPaused(true);
}

void MusicPlayer::Stop()
{
    if (m_pChannel)
        m_pChannel->Stop();
}

void MusicPlayer::SetMute(bool mute)
{
    if (m_pChannel)
        m_pChannel->SetMute(mute);
}

#include "Platform/SoundSystem.h"

#include "Platform/Sound.h"
#include "Mp3Length.h"
#include "Platform/SoundChannel.h"
#include "SoundState.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <string>

namespace Win32 {
namespace {

bool OpenOutput(int channels)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(channels);
    return true;
}

} // namespace

SoundSystem::SoundSystem()
    : m_bOpen(false)
{
}

SoundSystem::~SoundSystem()
{
    for (SoundChannel* channel : m_channels)
        delete channel;
}

SOUND_RESULT SoundSystem::Create(SoundSystem** ppSystem)
{
    if (!ppSystem)
        return SoundFailure(SOUND_ERR_INVALID_PARAM, "no place for the sound system");
    *ppSystem = new SoundSystem();
    return SOUND_OK;
}

SOUND_RESULT SoundSystem::Init(int maxChannels)
{
    if (m_bOpen || SoundOutputOpen())
        return SoundFailure(SOUND_ERR_INIT, "the sound output is open already");
    if (maxChannels < 1)
        return SoundFailure(SOUND_ERR_INVALID_PARAM, "a sound system needs a channel");
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_OGG);
    if (!OpenOutput(maxChannels)) {
        // No device (a server, a test run): play into SDL's dummy driver so
        // the program runs on, silently.
        std::fprintf(stderr, "No audio device (%s): sound goes to SDL's dummy driver.\n", SDL_GetError());
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (!OpenOutput(maxChannels)) {
            Mix_Quit();
            return SoundFailure(SOUND_ERR_INIT, SDL_GetError());
        }
    }
    for (int i = 0; i < maxChannels; ++i)
        m_channels.push_back(new SoundChannel(i));
    m_bOpen = true;
    SetSoundOutputOpen(true);
    return SOUND_OK;
}

SOUND_RESULT SoundSystem::CreateSound(const char* path, Sound** ppSound)
{
    if (!ppSound || !path)
        return SoundFailure(SOUND_ERR_INVALID_PARAM, "no sound file or no place for the sound");
    *ppSound = nullptr;
    if (!m_bOpen)
        return SoundFailure(SOUND_ERR_NOT_READY, "the sound system is not open");
    // Opened here so a missing file reports the file, not an empty stream.
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    if (!file)
        return SoundFailure(SOUND_ERR_FILE, "cannot open");
    const Sint64 size = SDL_RWsize(file);
    if (size == 0) {
        SDL_RWclose(file);
        return SoundFailure(SOUND_ERR_FILE, "is empty");
    }
    // The decoder would play the part of a file cut short without a word.
    Sint64 start = 0;
    const Sint64 declared = DeclaredMp3Bytes(file, &start);
    if (declared > 0 && size >= 0 && size - start < declared) {
        SDL_RWclose(file);
        const std::string text = "is cut short: " + std::to_string(size - start) + " of the " +
                                 std::to_string(declared) + " bytes its stream declares";
        return SoundFailure(SOUND_ERR_FILE, text.c_str());
    }
    SDL_RWseek(file, 0, RW_SEEK_SET);
    Mix_Chunk* chunk = Mix_LoadWAV_RW(file, 1);
    if (!chunk)
        return SoundFailure(SOUND_ERR_FILE, Mix_GetError());
    *ppSound = new Sound(chunk);
    return SOUND_OK;
}

SOUND_RESULT SoundSystem::PlaySound(Sound* pSound, bool paused, SoundChannel** ppChannel)
{
    if (!m_bOpen)
        return SoundFailure(SOUND_ERR_NOT_READY, "the sound system is not open");
    if (!pSound)
        return SoundFailure(SOUND_ERR_INVALID_PARAM, "no sound to play");
    Mix_Chunk* chunk = static_cast<Mix_Chunk*>(pSound->Data());
    const int index = Mix_PlayChannel(-1, chunk, pSound->IsLooping() ? -1 : 0);
    if (index < 0 || index >= static_cast<int>(m_channels.size()))
        return SoundFailure(SOUND_ERR_NO_CHANNEL, Mix_GetError());
    // A channel starts heard, whatever it was set to for its last sound.
    Mix_Volume(index, MIX_MAX_VOLUME);
    if (paused)
        Mix_Pause(index);
    if (ppChannel)
        *ppChannel = m_channels[index];
    return SOUND_OK;
}

SOUND_RESULT SoundSystem::Close()
{
    if (!m_bOpen)
        return SOUND_OK;
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_bOpen = false;
    SetSoundOutputOpen(false);
    return SOUND_OK;
}

SOUND_RESULT SoundSystem::Release()
{
    Close();
    delete this;
    return SOUND_OK;
}

} // namespace Win32

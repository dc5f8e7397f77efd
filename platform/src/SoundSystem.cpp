#include "Platform/SoundSystem.h"

#include "Platform/Sound.h"
#include "Mp3Length.h"
#include "Platform/SoundChannel.h"
#include "SoundState.h"
#include "WavLength.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace Win32 {
namespace {

// "16 MB" for a whole number of MiB, else the bytes.
std::string SizeText(long long bytes)
{
    if (bytes > 0 && bytes % (1 << 20) == 0)
        return std::to_string(bytes >> 20) + " MB";
    return std::to_string(bytes) + " bytes";
}

// The whole file, when it is a regular file of at most `limit` bytes;
// otherwise why not, worded to follow the path. Opened without waiting, so
// that a pipe is told, not waited on.
std::string ReadRegularFile(const char* path, long long limit, std::vector<Uint8>& bytes)
{
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return "cannot open";
    struct stat status;
    std::string error;
    if (fstat(fd, &status) != 0)
        error = "cannot open";
    else if (S_ISDIR(status.st_mode))
        error = "is a directory, not a regular file";
    else if (S_ISFIFO(status.st_mode))
        error = "is a pipe, not a regular file";
    else if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
        error = "is a device, not a regular file";
    else if (S_ISSOCK(status.st_mode))
        error = "is a socket, not a regular file";
    else if (!S_ISREG(status.st_mode))
        error = "is not a regular file";
    else if (status.st_size > limit)
        error = "is " + std::to_string(static_cast<long long>(status.st_size)) + " bytes, more than the " +
                SizeText(limit) + " allowed for its kind";
    if (error.empty()) {
        // A file that grows while it is read stops at the size it had.
        bytes.resize(static_cast<std::size_t>(status.st_size));
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
    }
    close(fd);
    return error;
}

// "2 h 2 min", "12 min 30 s" or "23 s".
std::string DurationText(double seconds)
{
    const long long s = static_cast<long long>(seconds + 0.5);
    if (s >= 3600)
        return std::to_string(s / 3600) + " h " + std::to_string(s / 60 % 60) + " min";
    if (s >= 60)
        return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
    return std::to_string(s) + " s";
}

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
    Mix_Init(MIX_INIT_MP3);
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
    // Read whole before anything decodes it, and only a regular file of a
    // bounded size: a pipe would block the start, a device never end.
    std::vector<Uint8> bytes;
    const std::string refused = ReadRegularFile(path, kFileLimit, bytes);
    if (!refused.empty())
        return SoundFailure(SOUND_ERR_FILE, refused.c_str());
    if (bytes.empty())
        return SoundFailure(SOUND_ERR_FILE, "is empty");
    SDL_RWops* file = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!file)
        return SoundFailure(SOUND_ERR_FILE, SDL_GetError());
    const auto refuse = [file](const std::string& text) {
        SDL_RWclose(file);
        return SoundFailure(SOUND_ERR_FILE, text.c_str());
    };
    const Sint64 size = static_cast<Sint64>(bytes.size());
    // The decoder would play the part of a file cut short without a word.
    Sint64 start = 0;
    const Sint64 declared = DeclaredMp3Bytes(file, &start);
    if (declared > 0 && size - start < declared)
        return refuse("is cut short: " + std::to_string(size - start) + " of the " + std::to_string(declared) +
                      " bytes its stream declares");
    // The whole stream is decoded into memory at the output's rate and
    // width: a long one at a low bit rate would take far more than the file.
    double seconds = -1.0;
    if (IsWav(bytes.data(), bytes.size())) {
        seconds = WavSeconds(bytes.data(), bytes.size());
        if (seconds < 0.0)
            return refuse("is a WAV file without a format or a data chunk");
    } else if (IsMp3(bytes.data(), bytes.size())) {
        seconds = Mp3Seconds(bytes.data(), bytes.size());
        if (seconds < 0.0)
            return refuse("holds no MP3 frame");
    } else {
        // Other formats tell their length only once decoded.
        return refuse("is neither a WAV nor an MP3 stream");
    }
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    const double decoded = seconds * frequency * channels * (SDL_AUDIO_BITSIZE(format) / 8);
    if (decoded > kDecodedLimit)
        return refuse("plays up to " + DurationText(seconds) + ", " +
                      std::to_string(static_cast<long long>(decoded) >> 20) + " MB decoded, more than the " +
                      SizeText(kDecodedLimit) + " a sound may take");
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

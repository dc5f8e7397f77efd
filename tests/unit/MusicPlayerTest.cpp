#include "Sound/MusicPlayer.h"

#include "Core/Memory/MemTracker.h"
#include "CoutCapture.h"
#include "Platform/SoundChannel.h"
#include "Platform/SoundSystem.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <sys/stat.h>

namespace {

// A short mono 16-bit tone as a WAV file.
std::string ToneWav(int milliseconds)
{
    const std::uint32_t rate = 22050;
    const std::uint32_t samples = rate * milliseconds / 1000;
    std::string data;
    for (std::uint32_t i = 0; i < samples; ++i) {
        const auto v = static_cast<std::int16_t>(8000 * std::sin(i * 2 * 3.14159265 * 440 / rate));
        data += static_cast<char>(v & 0xFF);
        data += static_cast<char>((v >> 8) & 0xFF);
    }
    auto u32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto u16 = [](std::uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    return "RIFF" + u32(36 + data.size()) + "WAVE" + "fmt " + u32(16) + u16(1) + u16(1) + u32(rate) +
           u32(rate * 2) + u16(2) + u16(16) + "data" + u32(data.size()) + data;
}

// Silent MPEG 2.5 layer III frames at 8 kbit/s, 8 kHz mono: 72 bytes for
// each 72 ms, the most sound an MP3 gives for its bytes.
std::string SilentMp3(int frames)
{
    std::string frame(72, '\0');
    frame.replace(0, 4, "\xff\xe3\x18\xc0");
    std::string text;
    for (int i = 0; i < frames; ++i)
        text += frame;
    return text;
}

// A WAV header for 8-bit mono samples at 4 kHz, and the samples.
std::string QuietWav(std::uint32_t samples)
{
    auto u32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto u16 = [](std::uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    return "RIFF" + u32(36 + samples) + "WAVE" + "fmt " + u32(16) + u16(1) + u16(1) + u32(4000) + u32(4000) +
           u16(1) + u16(8) + "data" + u32(samples) + std::string(samples, '\x80');
}

bool Playing(const MusicPlayer& player)
{
    bool playing = false;
    player.GetChannel()->IsPlaying(&playing);
    return playing;
}

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class MusicPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_TRUE(m_folder.Ok());
        m_folder.Write("tone.wav", ToneWav(200));
    }

    TempFolder m_folder;
};

TEST_F(MusicPlayerTest, LoopsMutesAndStopsTheTrack)
{
    CoutCapture out;
    MusicPlayer player(m_folder.Dir());
    // Stop and mute before any play have no channel to act on.
    player.Stop();
    player.SetMute(true);
    EXPECT_EQ(nullptr, player.GetChannel());

    player.Load("tone.wav");
    ASSERT_TRUE(player.IsLoaded("tone.wav"));
    player.SetLoop("tone.wav", true);
    player.Play("tone.wav");
    ASSERT_NE(nullptr, player.GetChannel());
    EXPECT_TRUE(Playing(player));

    player.SetMute(true);
    bool muted = false;
    player.GetChannel()->GetMute(&muted);
    EXPECT_TRUE(muted);
    // Looping on silently past the tone's own length.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_TRUE(Playing(player));
    player.SetMute(false);
    player.GetChannel()->GetMute(&muted);
    EXPECT_FALSE(muted);
    EXPECT_TRUE(Playing(player));

    player.Pause();
    bool paused = false;
    player.GetChannel()->GetPaused(&paused);
    EXPECT_TRUE(paused);

    player.Stop();
    EXPECT_FALSE(Playing(player));
    // Played again after a stop, as every scene set-up does.
    player.Play("tone.wav");
    EXPECT_TRUE(Playing(player));
    EXPECT_EQ("", out.Text());
}

TEST_F(MusicPlayerTest, UnloopedSoundEnds)
{
    MusicPlayer player(m_folder.Dir());
    player.Load("tone.wav");
    player.Play("tone.wav");
    EXPECT_TRUE(Playing(player));
    for (int i = 0; i < 100 && Playing(player); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(Playing(player));
}

TEST_F(MusicPlayerTest, AFileThatDoesNotLoadIsNamedOnceAndPlaysNothing)
{
    // A whole MP3 frame header with an Info tag that declares 5000 bytes.
    std::string cut(200, '\0');
    const unsigned char head[] = {0xFF, 0xFB, 0x90, 0x44};
    cut.replace(0, 4, reinterpret_cast<const char*>(head), 4);
    cut.replace(36, 4, "Info");
    const unsigned char counts[] = {0, 0, 0, 3, 0, 0, 0, 10, 0, 0, 0x13, 0x88};
    cut.replace(40, 12, reinterpret_cast<const char*>(counts), 12);
    m_folder.Write("cut.mp3", cut);
    m_folder.Write("empty.mp3", "");
    m_folder.Write("junk.mp3", "no sound in here, not even a header");
    const std::pair<const char*, const char*> table[] = {
        {"missing.mp3", "cannot open"},
        {"empty.mp3", "is empty"},
        {"cut.mp3", "is cut short: 200 of the 5000 bytes its stream declares"},
        {"junk.mp3", ""}, // the mixer's own words
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.first);
        CoutCapture out;
        {
            MusicPlayer player(m_folder.Dir());
            player.Load(row.first);
            player.SetLoop(row.first, true);
            player.Play(row.first);
            player.SetMute(true);
            player.Stop();
            EXPECT_FALSE(player.IsLoaded(row.first));
            EXPECT_EQ(nullptr, player.GetChannel());
        }
        const std::string text = out.Text();
        EXPECT_EQ(0u, text.find("Sound not loaded: " + m_folder.Path(row.first) + ": " + row.second)) << text;
        EXPECT_EQ(1, Count(text, "\n")) << text;
    }
}

TEST_F(MusicPlayerTest, FilesThatWouldBlockOrDecodeBeyondTheBoundAreRefusedUndecoded)
{
    // At the output's 44.1 kHz in 16-bit stereo, 128 MB decoded are 761 s.
    mkfifo(m_folder.Path("pipe.mp3").c_str(), 0600);
    std::filesystem::create_directory(m_folder.Path("folder.mp3"));
    m_folder.Write("large.mp3", "");
    std::filesystem::resize_file(m_folder.Path("large.mp3"), Win32::SoundSystem::kFileLimit + 1);
    m_folder.Write("long.mp3", SilentMp3(11000));
    m_folder.Write("tagged.mp3", std::string("ID3\x03\0\0\0\0\0\x0a") + std::string(10, '\0') + SilentMp3(11000));
    m_folder.Write("minute.mp3", SilentMp3(834));
    m_folder.Write("long.wav", QuietWav(3100000));
    m_folder.Write("minute.wav", QuietWav(240000));
    m_folder.Write("noformat.wav", QuietWav(100).replace(12, 4, "junk"));
    m_folder.Write("tagonly.mp3", std::string("ID3\x03\0\0\0\0\0\x0a") + std::string(10, '\0'));
    m_folder.Write("ogg.mp3", "OggS" + std::string(200, '\0'));
    const std::pair<const char*, const char*> table[] = {
        {"pipe.mp3", "is a pipe, not a regular file"},
        {"folder.mp3", "is a directory, not a regular file"},
        {"large.mp3", "is 16777217 bytes, more than the 16 MB allowed for its kind"},
        {"long.mp3", "plays up to 13 min 12 s, 133 MB decoded, more than the 128 MB a sound may take"},
        {"tagged.mp3", "plays up to 13 min 12 s, 133 MB decoded"},
        {"long.wav", "plays up to 12 min 55 s, 130 MB decoded"},
        {"noformat.wav", "is a WAV file without a format or a data chunk"},
        {"tagonly.mp3", "holds no MP3 frame"},
        {"ogg.mp3", "is neither a WAV nor an MP3 stream"},
        {"minute.mp3", nullptr},
        {"minute.wav", nullptr},
    };
    MusicPlayer player(m_folder.Dir());
    for (const auto& row : table) {
        SCOPED_TRACE(row.first);
        CoutCapture out;
        player.Load(row.first);
        EXPECT_EQ(row.second == nullptr, player.IsLoaded(row.first));
        if (row.second)
            EXPECT_EQ(0u, out.Text().find("Sound not loaded: " + m_folder.Path(row.first) + ": " + row.second))
                << out.Text();
        else
            EXPECT_EQ("", out.Text());
    }
}

TEST_F(MusicPlayerTest, ReleasesReplacedSoundsAndTheSoundSystem)
{
    const auto before = Vorm::MemTracker::GetMemoryStatistics().m_uTotalAllocUnitCount;
    {
        CoutCapture out;
        MusicPlayer player(m_folder.Dir());
        player.Load("tone.wav");
        player.Load("tone.wav");
        player.Play("tone.wav");
        // Unknown names are looked up, never added.
        player.SetLoop("other.wav", true);
        player.Play("other.wav");
        EXPECT_FALSE(player.IsLoaded("other.wav"));
        player.PlayAll();
        EXPECT_EQ(1, Count(out.Text(), "Sound error: "));
    }
    EXPECT_EQ(before, Vorm::MemTracker::GetMemoryStatistics().m_uTotalAllocUnitCount);
}

} // namespace

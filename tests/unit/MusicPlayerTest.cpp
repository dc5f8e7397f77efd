#include "Sound/MusicPlayer.h"

#include "Core/Memory/MemTracker.h"
#include "CoutCapture.h"
#include "Platform/SoundChannel.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

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

TEST_F(MusicPlayerTest, MissingFileReportsLoadAndPlayAndRunsOn)
{
    CoutCapture out;
    {
        MusicPlayer player(m_folder.Dir());
        player.Load("missing.mp3");
        player.SetLoop("missing.mp3", true);
        player.Play("missing.mp3");
        player.SetMute(true);
        player.Stop();
        EXPECT_FALSE(player.IsLoaded("missing.mp3"));
        EXPECT_EQ(nullptr, player.GetChannel());
    }
    const std::string text = out.Text();
    EXPECT_EQ(2, Count(text, "Sound error: "));
    EXPECT_EQ(2, Count(text, "\n"));
    // The load's line carries the mixer's own explanation.
    EXPECT_NE(std::string::npos, text.find("missing.mp3")) << text;
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

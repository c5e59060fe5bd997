#include "MixerSoundPlayer.hpp"
#include "WavFile.hpp"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <fstream>

namespace {

struct TempBundle {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("tarvenko-sound-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    TempBundle() { std::filesystem::create_directories(dir); }
    ~TempBundle() { std::filesystem::remove_all(dir); }

    // A mono 16-bit WAV of `seconds` of a square wave.
    void writeWav(const std::string& name, double seconds, std::uint32_t rate = 22050)
    {
        std::vector<std::int16_t> pcm(std::size_t(seconds * rate));
        for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = (i / 50) % 2 ? 8000 : -8000;
        ::writeWav((dir / name).string(), pcm, rate);
    }
};

int lines(const std::string& s) { return int(std::count(s.begin(), s.end(), '\n')); }

} // namespace

TEST(MixerSoundPlayer, LoadsEachFileOnceAndNamesEachBadFileOnce)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TempBundle t;
    t.writeWav("laser.wav", 0.25);
    std::ofstream(t.dir / "explosion.wav") << "not a wave";

    testing::internal::CaptureStderr();
    {
        MixerSoundPlayer player{SKBundle(t.dir)};
        ASSERT_TRUE(player.hasDevice());
        for (int i = 0; i < 40; ++i) player.play("laser.wav"); // more than there are channels
        EXPECT_NEAR(player.duration("laser.wav"), 0.25, 0.01);
        player.play("explosion.wav");
        player.play("explosion.wav");
        player.play("missing.wav");
        player.play("missing.wav");
        EXPECT_EQ(player.duration("missing.wav"), 0);
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(lines(err), 2) << err;
    EXPECT_NE(err.find("explosion.wav"), std::string::npos) << err;
    EXPECT_NE(err.find("missing.wav"), std::string::npos) << err;
}

TEST(MixerSoundPlayer, NoAudioDeviceMeansSilenceAndOneNote)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    TempBundle t;
    t.writeWav("laser.wav", 0.1);
    testing::internal::CaptureStderr();
    {
        MixerSoundPlayer player{SKBundle(t.dir)};
        EXPECT_FALSE(player.hasDevice());
        player.play("laser.wav");
        player.play("missing.wav");
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(lines(err), 1) << err;
    EXPECT_NE(err.find("silently"), std::string::npos) << err;
    unsetenv("SDL_AUDIODRIVER");
}

TEST(MixerSoundPlayer, SuspendedTheMixingStopsAndGoesOnWhenWoken)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TempBundle t;
    t.writeWav("laser.wav", 0.1);
    MixerSoundPlayer player{SKBundle(t.dir)};
    ASSERT_TRUE(player.hasDevice());
    // Counts the mixer's passes: its thread runs one for every buffer it fills.
    static std::atomic<int> mixes;
    Mix_SetPostMix([](void*, Uint8*, int) { ++mixes; }, nullptr);
    auto passesWithin = [&](int ms) {
        int before = mixes;
        SDL_Delay(ms);
        return mixes - before;
    };
    EXPECT_GT(passesWithin(300), 0) << "a running mixer fills buffers, silent or not";

    player.suspend(true);
    player.play("laser.wav");
    EXPECT_EQ(passesWithin(300), 0) << "suspended: not one pass";
    player.suspend(false);
    for (int i = 0; i < 20 && mixes == 0; ++i) SDL_Delay(100);
    EXPECT_GT(passesWithin(300), 0) << "woken, it goes on";

    player.suspend(true); // and lets go when it ends, suspended or not
    Mix_SetPostMix(nullptr, nullptr);
    unsetenv("SDL_AUDIODRIVER");
}

#include "MixerSoundPlayer.hpp"
#include "Support.hpp"
#include "WavFile.hpp"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>

namespace {
// A mono 16-bit WAV of `seconds` of a square wave.
void writeSquareWave(const std::filesystem::path& path, double seconds)
{
    std::vector<std::int16_t> pcm(std::size_t(seconds * 22050));
    for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = (i / 50) % 2 ? 8000 : -8000;
    writeWav(path.string(), pcm, 22050);
}
int lines(const std::string& s) { return int(std::count(s.begin(), s.end(), '\n')); }
} // namespace

TEST(MixerSoundPlayer, LoadsEachFileOnceNamesEachBadFileOnceAndSleepsWhenSuspended)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TempDir t;
    writeSquareWave(t.dir / "laser.wav", 0.25);
    t.write("explosion.wav", "not a wave");
    testing::internal::CaptureStderr();
    {
        MixerSoundPlayer player{SKBundle(t.dir)};
        ASSERT_TRUE(player.hasDevice());
        for (int i = 0; i < 41; ++i) player.play("laser.wav"); // more than there are channels: the oldest gives way
        EXPECT_EQ(Mix_Playing(-1), Mix_AllocateChannels(-1));
        EXPECT_NEAR(player.duration("laser.wav"), 0.25, 0.01);
        for (int i = 0; i < 2; ++i) player.play("explosion.wav"), player.play("missing.wav");
        EXPECT_EQ(player.duration("missing.wav"), 0);
        // Counts the mixer's passes: its thread runs one for every buffer it fills.
        static std::atomic<int> mixes;
        Mix_SetPostMix([](void*, Uint8*, int) { ++mixes; }, nullptr);
        auto passesWithin = [&](int ms) { return mixes.exchange(0), SDL_Delay(ms), mixes.load(); };
        EXPECT_GT(passesWithin(200), 0) << "a running mixer fills buffers, silent or not";
        player.suspend(true);
        player.play("laser.wav");
        EXPECT_EQ(passesWithin(200), 0) << "suspended: not one pass";
        player.suspend(false);
        EXPECT_GT(passesWithin(200), 0) << "woken, it goes on";
        player.suspend(true); // and lets go when it ends, suspended or not
        Mix_SetPostMix(nullptr, nullptr);
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(lines(err) == 2 && err.find("explosion.wav is not a WAV file") != std::string::npos &&
                err.find("missing.wav is missing") != std::string::npos) << err;
}


#include "MixerSoundPlayer.hpp"
#include "Support.hpp"
#include "WavFile.hpp"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <chrono>
#include <thread>

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
        ASSERT_TRUE(player.hasDevice(std::chrono::seconds(10)));
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
        // Muted, what plays stops and nothing more starts, until unmuted.
        player.setMuted(true), player.play("laser.wav");
        int muted = Mix_Playing(-1);
        player.setMuted(false), player.play("laser.wav");
        EXPECT_TRUE(muted == 0 && Mix_Playing(-1) == 1);
        player.suspend(true); // and lets go when it ends, suspended or not
        Mix_SetPostMix(nullptr, nullptr);
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(lines(err) == 2 && err.find("explosion.wav is not a WAV file") != std::string::npos &&
                err.find("missing.wav is missing") != std::string::npos) << err;
}


// A sound server that takes the connection and never answers (libpulse gives up after 20 s or
// more): the player is made, plays silently and is closed without waiting on it, and says so
// once sounds are asked for.
TEST(MixerSoundPlayer, ASoundServerThatNeverAnswersHoldsNothingUp)
{
    auto child = [] {
        TempDir t;
        int server = listeningSocket(t.dir, "native");
        setenv("SDL_AUDIODRIVER", "pulseaudio", 1), setenv("PULSE_SERVER", ("unix:" + (t.dir / "native").string()).c_str(), 1);
        auto start = std::chrono::steady_clock::now();
        MixerSoundPlayer player{SKBundle(t.dir), {.patience = std::chrono::milliseconds(300)}};
        player.play("laser.wav");
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        player.play("laser.wav"), player.play("laser.wav");
        bool waiting = !player.hasDevice() && !player.close(std::chrono::milliseconds(200));
        std::fprintf(stderr, "waiting %d\n", waiting);
        close(server), _exit(waiting && std::chrono::steady_clock::now() - start < std::chrono::seconds(3) ? 0 : 1);
    };
    EXPECT_EXIT(child(), testing::ExitedWithCode(0),
                "^tarvenko: the sound server does not answer; playing silently until it does\nwaiting 1");
}

#pragma once

#include "SKBundle.hpp"
#include "SoundPlayer.hpp"

#include <map>
#include <string>

struct Mix_Chunk;
using SDL_AudioDeviceID = unsigned int;

// Plays effects through SDL_mixer on enough channels for a held fire key. Each file is loaded
// once. Without an audio device, or for a file that is missing or unreadable, it stays silent
// after one line on stderr per cause.
class MixerSoundPlayer final : public SoundPlayer {
public:
    explicit MixerSoundPlayer(const SKBundle& bundle = SKBundle::main());
    ~MixerSoundPlayer() override;
    MixerSoundPlayer(const MixerSoundPlayer&) = delete;
    MixerSoundPlayer& operator=(const MixerSoundPlayer&) = delete;

    // Loads the files now, so a missing or broken one is told at start-up rather than in play.
    void preload(std::initializer_list<const char*> fileNames);
    void play(const std::string& fileName) override;
    [[nodiscard]] double duration(const std::string& fileName) override;
    void suspend(bool suspended) override;
    [[nodiscard]] bool hasDevice() const { return open_; }

private:
    Mix_Chunk* chunk(const std::string& fileName);

    SKBundle bundle_;
    bool open_ = false;
    SDL_AudioDeviceID device_ = 0; // the mixer's
    bool suspended_ = false;
    int frequency_ = 0;
    int bytesPerFrame_ = 0;
    std::map<std::string, Mix_Chunk*> chunks_; // null for a file that failed, so it is tried once
};

#pragma once

#include "SKBundle.hpp"
#include "SoundPlayer.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Plays effects through SDL_mixer on enough channels for a held fire key. Each file is loaded
// once. Without an audio device, or for a file that is missing or unreadable, it stays silent
// after one line on stderr per cause.
//
// A sound server may stop answering at any moment, so nothing here waits on one: the device
// opens on a thread of its own, sounds being silent until it answers, and closing it waits a
// moment at most.
class MixerSoundPlayer final : public SoundPlayer {
public:
    struct Options {
        // Loaded as the device opens, so a missing or broken file is told at start-up, not in play.
        std::vector<std::string> preload;
        // Runs the opening, if set: the host hushes the libraries' chatter around it.
        std::function<void(const std::function<void()>&)> around;
        // A sound server that has not answered by then is told of; sounds are silent meanwhile.
        std::chrono::milliseconds patience{3000};
    };

    explicit MixerSoundPlayer(const SKBundle& bundle = SKBundle::main());
    MixerSoundPlayer(const SKBundle& bundle, Options options);
    // Closes, as close() does, waiting a moment at most.
    ~MixerSoundPlayer() override;
    MixerSoundPlayer(const MixerSoundPlayer&) = delete;
    MixerSoundPlayer& operator=(const MixerSoundPlayer&) = delete;

    void play(const std::string& fileName) override;
    [[nodiscard]] double duration(const std::string& fileName) override;
    void suspend(bool suspended) override;
    void setMuted(bool muted) override;
    // Whether the device is open and sounds play, waiting up to `wait` while it opens.
    [[nodiscard]] bool hasDevice(std::chrono::milliseconds wait = {});
    // Lets the device go within `wait`. False when the sound server held it (or its opening)
    // longer: the device is then left as it is, and so must SDL's audio be, which only ending
    // the process can do.
    [[nodiscard]] bool close(std::chrono::milliseconds wait);

private:
    struct Device;

    std::shared_ptr<Device> device_; // shared with the thread that opens or closes it, which may outlive us
    std::thread worker_;
    std::chrono::steady_clock::time_point impatient_; // when a server still opening is told of
    bool suspended_ = false;
};

#pragma once

#include <string>
#include <vector>

// Plays short effects by file name. Effects overlap; playing never blocks and never fails loudly.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const std::string& fileName) = 0;
    // Seconds; 0 when the sound is unknown or cannot be played.
    [[nodiscard]] virtual double duration(const std::string& /*fileName*/) { return 0; }
    // While the game sleeps (paused, nothing moving), the sound holds still too, mid-effect if
    // need be, and goes on where it was when woken.
    virtual void suspend(bool /*suspended*/) {}
    // All sound off, a sound already playing too, or on again.
    virtual void setMuted(bool muted) { muted_ = muted; }
    [[nodiscard]] bool isMuted() const { return muted_; }

protected:
    bool muted_ = false;
};

class SilentSoundPlayer final : public SoundPlayer {
public:
    void play(const std::string&) override {}
};

// Remembers what was asked for, in order; for tests.
class RecordingSoundPlayer final : public SoundPlayer {
public:
    void play(const std::string& fileName) override { played_.push_back(fileName); }
    [[nodiscard]] const std::vector<std::string>& played() const { return played_; }
    void clear() { played_.clear(); }

private:
    std::vector<std::string> played_;
};

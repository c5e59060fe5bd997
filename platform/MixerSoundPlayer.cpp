#include "MixerSoundPlayer.hpp"

#include "Diagnostics.hpp"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>

namespace {
// A held fire key repeats about 30 times a second; 32 channels leave every zap room to finish.
constexpr int channels = 32;
// Samples mixed at a time: 23 ms at 44.1 kHz, soon enough for a shot to sound with its laser,
// and the mixing thread wakes half as often as with 512 (its wake-ups were a tenth of our CPU).
constexpr int mixChunk = 1024;
// A short effect is a few hundred kilobytes; anything near this is not one.
constexpr std::uintmax_t maxSoundBytes = 16 << 20;

// ALSA prints a line of its own for every step of a failed open (eight without a sound card);
// the game's one line says it all. SDL loads ALSA itself, so its error handler is set through
// the same library, if the system has it.
void silent(const char*, int, const char*, int, const char*, ...) {}

void quietenAlsa()
{
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa) return;
    // Kept loaded: the handler must outlive every use of ALSA.
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    if (auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler")))
        setHandler(silent);
}

enum class State { opening, open, silent, closing, closed };

} // namespace

// The mixer and what was loaded into it. The thread that opens or closes it holds it too, so a
// thread left waiting on a sound server that stopped answering never reaches freed memory.
struct MixerSoundPlayer::Device {
    explicit Device(SKBundle bundle) : bundle(std::move(bundle)) {}

    // On the worker thread; the player's thread reads nothing of the rest until `state` is open.
    void open(const std::vector<std::string>& preload);
    Mix_Chunk* chunk(const std::string& fileName);
    void changeTo(State to)
    {
        std::lock_guard hold(lock);
        state = to;
        changed.notify_all();
    }
    // The state once it is no longer `from`, or `from` still when `deadline` came first.
    State waitWhile(State from, std::chrono::steady_clock::time_point deadline)
    {
        std::unique_lock hold(lock);
        changed.wait_until(hold, deadline, [&] { return state != from; });
        return state;
    }
    State now()
    {
        std::lock_guard hold(lock);
        return state;
    }

    SKBundle bundle;
    std::mutex lock;
    std::condition_variable changed;
    State state = State::opening;
    SDL_AudioDeviceID id = 0;
    int frequency = 0;
    int bytesPerFrame = 0;
    std::map<std::string, Mix_Chunk*> chunks; // null for a file that failed, so it is tried once
};

MixerSoundPlayer::MixerSoundPlayer(const SKBundle& bundle) : MixerSoundPlayer(bundle, Options{}) {}

MixerSoundPlayer::MixerSoundPlayer(const SKBundle& bundle, Options options)
    : device_(std::make_shared<Device>(bundle)), impatient_(std::chrono::steady_clock::now() + options.patience)
{
    worker_ = std::thread([device = device_, options = std::move(options)] {
        auto open = [&] { device->open(options.preload); };
        options.around ? options.around(open) : open();
    });
}

void MixerSoundPlayer::Device::open(const std::vector<std::string>& preload)
{
    quietenAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        Diagnostics::tell(std::string("no audio (") + SDL_GetError() + "); playing silently");
        return changeTo(State::silent);
    }
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, mixChunk) != 0) {
        Diagnostics::tell(std::string("no audio device (") + Mix_GetError() + "); playing silently");
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return changeTo(State::silent);
    }
    Mix_AllocateChannels(channels);
    Uint16 format = 0;
    int outChannels = 0;
    Mix_QuerySpec(&frequency, &format, &outChannels);
    bytesPerFrame = (SDL_AUDIO_BITSIZE(format) / 8) * outChannels;
    // SDL_mixer does not tell which device it opened; it is the one that plays (the first id
    // after the legacy device's 1, as nothing else here opens one).
    for (SDL_AudioDeviceID candidate = 2; candidate < 64 && !id; ++candidate)
        if (SDL_GetAudioDeviceStatus(candidate) == SDL_AUDIO_PLAYING) id = candidate;
    for (const auto& name : preload) (void)chunk(name);
    changeTo(State::open);
}

bool MixerSoundPlayer::hasDevice(std::chrono::milliseconds wait)
{
    return device_->waitWhile(State::opening, std::chrono::steady_clock::now() + wait) == State::open;
}

void MixerSoundPlayer::suspend(bool suspended)
{
    // The state first: the device's id is the opening thread's until it is open.
    if (suspended == suspended_ || device_->now() != State::open || !device_->id) return;
    suspended_ = suspended;
    // Pausing the device would still wake its thread ~43 times a second to mix silence; holding
    // its lock keeps the thread waiting, at no cost, until the lock is let go.
    if (suspended)
        SDL_LockAudioDevice(device_->id);
    else
        SDL_UnlockAudioDevice(device_->id);
}

bool MixerSoundPlayer::close(std::chrono::milliseconds wait)
{
    auto deadline = std::chrono::steady_clock::now() + wait;
    State state = device_->waitWhile(State::opening, deadline);
    if (state == State::opening) {
        // Still waiting on the sound server: left to it.
        if (worker_.joinable()) worker_.detach();
        return false;
    }
    if (worker_.joinable()) worker_.join();
    if (state != State::open) return state != State::closing;
    suspend(false);
    // The device's own thread may be stuck on the server, but never holding the mixer's lock:
    // these return.
    Mix_HaltChannel(-1);
    for (auto& [name, chunk] : device_->chunks)
        if (chunk) Mix_FreeChunk(chunk);
    device_->chunks.clear();
    device_->changeTo(State::closing);
    // Closing waits for that thread.
    worker_ = std::thread([device = device_] {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        device->changeTo(State::closed);
    });
    if (device_->waitWhile(State::closing, deadline) == State::closing) {
        worker_.detach();
        return false;
    }
    worker_.join();
    return true;
}

MixerSoundPlayer::~MixerSoundPlayer() { (void)close(std::chrono::milliseconds(500)); }

Mix_Chunk* MixerSoundPlayer::Device::chunk(const std::string& fileName)
{
    if (auto it = chunks.find(fileName); it != chunks.end()) return it->second;
    Mix_Chunk* loaded = nullptr;
    auto found = bundle.find(fileName);
    std::string named = (bundle.directory() / fileName).string();
    std::error_code error;
    if (!found.path) {
        Diagnostics::tell("sound " + named + " " + found.problem + "; not played");
    } else if (auto bytes = std::filesystem::file_size(*found.path, error); !error && bytes > maxSoundBytes) {
        Diagnostics::tell("sound " + named + " is too large (" + std::to_string(bytes >> 20) + " MB, at most " +
                          std::to_string(maxSoundBytes >> 20) + "); not played");
    } else if (!(loaded = Mix_LoadWAV(found.path->c_str()))) {
        Diagnostics::tell("sound " + named + " is not a WAV file that can be played (" + Mix_GetError() +
                          "); not played");
    }
    chunks.emplace(fileName, loaded);
    return loaded;
}

void MixerSoundPlayer::setMuted(bool muted)
{
    muted_ = muted;
    if (muted && device_->now() == State::open) Mix_HaltChannel(-1);
}

void MixerSoundPlayer::play(const std::string& fileName)
{
    if (muted_) return;
    State state = device_->now();
    if (state == State::opening && std::chrono::steady_clock::now() > impatient_)
        Diagnostics::tellOnce("sound server slow", "the sound server does not answer; playing silently until it does");
    if (state != State::open) return;
    // The server gone (stopped or crashed): SDL lets go of the device and plays no more.
    if (device_->id && SDL_GetAudioDeviceStatus(device_->id) == SDL_AUDIO_STOPPED) {
        Diagnostics::tellOnce("sound server lost", "the sound device went away; playing silently");
        return;
    }
    Mix_Chunk* sound = device_->chunk(fileName);
    if (!sound) return;
    if (Mix_PlayChannel(-1, sound, 0) == -1) {
        // Every channel busy: the oldest effect gives way.
        int oldest = Mix_GroupOldest(-1);
        if (oldest >= 0) {
            Mix_HaltChannel(oldest);
            Mix_PlayChannel(oldest, sound, 0);
        }
    }
}

double MixerSoundPlayer::duration(const std::string& fileName)
{
    if (device_->now() != State::open || device_->bytesPerFrame <= 0 || device_->frequency <= 0) return 0;
    Mix_Chunk* sound = device_->chunk(fileName);
    return sound ? double(sound->alen) / device_->bytesPerFrame / device_->frequency : 0;
}

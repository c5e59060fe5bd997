#include "MixerSoundPlayer.hpp"

#include "Diagnostics.hpp"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <filesystem>
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

} // namespace

MixerSoundPlayer::MixerSoundPlayer(const SKBundle& bundle) : bundle_(bundle)
{
    quietenAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        Diagnostics::tell(std::string("no audio (") + SDL_GetError() + "); playing silently");
        return;
    }
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, mixChunk) != 0) {
        Diagnostics::tell(std::string("no audio device (") + Mix_GetError() + "); playing silently");
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    open_ = true;
    Mix_AllocateChannels(channels);
    Uint16 format = 0;
    int outChannels = 0;
    Mix_QuerySpec(&frequency_, &format, &outChannels);
    bytesPerFrame_ = (SDL_AUDIO_BITSIZE(format) / 8) * outChannels;
    // SDL_mixer does not tell which device it opened; it is the one that plays (the first id
    // after the legacy device's 1, as nothing else here opens one).
    for (SDL_AudioDeviceID id = 2; id < 64 && !device_; ++id)
        if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) device_ = id;
}

void MixerSoundPlayer::suspend(bool suspended)
{
    if (!device_ || suspended == suspended_) return;
    suspended_ = suspended;
    // Pausing the device would still wake its thread ~43 times a second to mix silence; holding
    // its lock keeps the thread waiting, at no cost, until the lock is let go.
    if (suspended)
        SDL_LockAudioDevice(device_);
    else
        SDL_UnlockAudioDevice(device_);
}

MixerSoundPlayer::~MixerSoundPlayer()
{
    if (!open_) return;
    suspend(false);
    Mix_HaltChannel(-1);
    for (auto& [name, chunk] : chunks_)
        if (chunk) Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

Mix_Chunk* MixerSoundPlayer::chunk(const std::string& fileName)
{
    if (auto it = chunks_.find(fileName); it != chunks_.end()) return it->second;
    Mix_Chunk* loaded = nullptr;
    auto found = bundle_.find(fileName);
    std::string named = (bundle_.directory() / fileName).string();
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
    chunks_.emplace(fileName, loaded);
    return loaded;
}

void MixerSoundPlayer::preload(std::initializer_list<const char*> fileNames)
{
    if (!open_) return;
    for (const char* name : fileNames) (void)chunk(name);
}

void MixerSoundPlayer::play(const std::string& fileName)
{
    if (!open_) return;
    Mix_Chunk* sound = chunk(fileName);
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
    if (!open_ || bytesPerFrame_ <= 0 || frequency_ <= 0) return 0;
    Mix_Chunk* sound = chunk(fileName);
    return sound ? double(sound->alen) / bytesPerFrame_ / frequency_ : 0;
}

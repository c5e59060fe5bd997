// Synthesises the game's two sound effects, the same bytes on every run:
//   make-sounds OUTPUT_DIR   → OUTPUT_DIR/laser.wav, OUTPUT_DIR/explosion.wav
// laser.wav: a bright zap, a pitch sweep from about 2 kHz down to 250 Hz in a fifth of a second.
// explosion.wav: a burst of noise that darkens as it fades, over a low thump, under a second.
#include "WavFile.hpp"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int rate = 44100;
constexpr double tau = 2 * std::numbers::pi;

// A fixed-seed generator: the noise is the same on every machine.
struct Noise {
    std::uint32_t x = 2463534242u;
    double next()
    {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x / 2147483648.0 - 1;
    }
};

// Scales to the peak (as a fraction of full scale), fades the last 15 ms to silence.
std::vector<std::int16_t> finish(std::vector<double> samples, double peak)
{
    std::size_t fade = rate * 15 / 1000;
    for (std::size_t i = 0; i < fade && i < samples.size(); ++i)
        samples[samples.size() - 1 - i] *= double(i) / fade;
    double top = 0;
    for (double s : samples) top = std::max(top, std::abs(s));
    std::vector<std::int16_t> pcm;
    for (double s : samples) pcm.push_back(std::int16_t(std::lround(s / top * peak * 32767)));
    return pcm;
}

std::vector<std::int16_t> laser()
{
    const double seconds = 0.2;
    std::vector<double> out;
    double phase = 0;
    for (int i = 0; i < seconds * rate; ++i) {
        double t = double(i) / rate;
        double frequency = 1800 * std::exp(-t / 0.05) + 250;
        phase += tau * frequency / rate;
        // A few harmonics of a sawtooth: bright, not harsh.
        double wave = std::sin(phase) + 0.5 * std::sin(2 * phase) + 0.33 * std::sin(3 * phase) + 0.25 * std::sin(4 * phase);
        double envelope = std::min(1.0, t / 0.003) * std::exp(-t / 0.07);
        out.push_back(wave * envelope);
    }
    return finish(out, 0.7);
}

std::vector<std::int16_t> explosion()
{
    const double seconds = 0.85;
    std::vector<double> out;
    Noise noise;
    double low = 0, phase = 0;
    for (int i = 0; i < seconds * rate; ++i) {
        double t = double(i) / rate;
        // Noise through a low-pass filter whose cutoff falls from 5 kHz to 150 Hz.
        double cutoff = 5000 * std::exp(-t / 0.12) + 150;
        double k = 1 - std::exp(-tau * cutoff / rate);
        low += k * (noise.next() - low);
        double thumpFrequency = 45 + 60 * std::exp(-t / 0.04);
        phase += tau * thumpFrequency / rate;
        double thump = std::sin(phase) * std::exp(-t / 0.15);
        double envelope = std::min(1.0, t / 0.004) * std::exp(-t / 0.2);
        out.push_back((1.6 * low + 0.7 * thump) * envelope);
    }
    return finish(out, 0.9);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sounds OUTPUT_DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    if (!writeWav(dir + "/laser.wav", laser(), rate) || !writeWav(dir + "/explosion.wav", explosion(), rate)) {
        std::fprintf(stderr, "make-sounds: cannot write to %s\n", dir.c_str());
        return 1;
    }
    return 0;
}

#pragma once

#include "SKBundle.hpp"
#include "SKColor.hpp"
#include "SKLook.hpp"
#include "SKNode.hpp"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Emits round particles in its own coordinates. Its look is read from a resource file of our
// own JSON format ("<name>.emitter.json"); its particles move while its actions run, and its
// alpha fades them all.
class SKEmitterNode : public SKNode {
public:
    // Every value the file may give, with its default. Angles in degrees, times in seconds,
    // distances in points; a range spreads a value evenly by ± half of it.
    struct Settings {
        double birthRate = 100;       // particles per second
        int numParticlesToEmit = 0;   // 0: emit for ever
        double lifetime = 1, lifetimeRange = 0;
        double emissionAngle = 0, emissionAngleRange = 0;
        double speed = 100, speedRange = 0;
        CGVector acceleration;
        CGVector positionRange;
        double radius = 2;
        double scale = 1, scaleRange = 0, scaleSpeed = 0;
        double alpha = 1, alphaRange = 0, alphaSpeed = 0;
        struct ColorStop {
            double at; // 0…1 of a particle's life
            SKColor color;
        };
        std::vector<ColorStop> colors{{0, SKColor::whiteColor()}};
        bool additive = false; // "blendMode": "add" or "alpha"
    };

    // Reads the text of a file; on failure, gives nothing and the reason. Values out of their
    // sane range are clamped, each with a warning.
    [[nodiscard]] static std::optional<Settings> parse(std::string_view json, std::string& error,
                                                       std::vector<std::string>* warnings = nullptr);

    // Nothing when the resource is missing; nothing and one line on stderr naming the file and the
    // reason when it cannot be read or understood.
    [[nodiscard]] static std::shared_ptr<SKEmitterNode> nodeWithFileNamed(std::string_view name,
                                                                          const SKBundle& bundle = SKBundle::main());

    SKEmitterNode();
    explicit SKEmitterNode(Settings settings);

    [[nodiscard]] const Settings& settings() const { return settings_; }
    [[nodiscard]] std::size_t particleCount() const { return particles_.size(); }
    [[nodiscard]] int emittedCount() const { return emitted_; }
    void setRandomSeed(std::uint32_t seed) { random_.seed(seed); }

    // Runs the particles on by dt seconds, as each frame of the node's actions does.
    void advanceSimulation(double dt) override;

protected:
    [[nodiscard]] bool simulates() const override { return true; }
    void drawContent(SKRenderContext& context) const override;
    // Where the particles are now (the emitter itself is never hit: it has no content).
    [[nodiscard]] CGRect drawBounds() const override;

private:
    struct Particle {
        CGPoint position;
        CGVector velocity;
        double age, lifetime, scale, alpha;
    };

    void emitOne();
    [[nodiscard]] double spread(double value, double range);
    [[nodiscard]] SKColor colorAt(double lifeFraction) const;
    // A particle's look: a white disc, its size rounded so that a few looks serve a burst, and
    // tinted to the particle's colour as it is copied. The renderer may swap in an equal look.
    [[nodiscard]] std::shared_ptr<const SKLook>& particleLook(double radius) const;

    Settings settings_;
    std::vector<Particle> particles_;
    double birthDebt_ = 0;
    int emitted_ = 0;
    std::mt19937 random_{std::random_device{}()};
    mutable std::unordered_map<std::uint64_t, std::shared_ptr<const SKLook>> looks_;
};

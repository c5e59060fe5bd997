#include "SKEmitterNode.hpp"

#include "Diagnostics.hpp"
#include "ResourceFile.hpp"
#include "SKRenderer.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using json = nlohmann::json;

// Past these a file is broken, not creative: they keep one emitter from eating the frame.
constexpr double maxBirthRate = 10000;
constexpr int maxParticlesToEmit = 100000;
constexpr std::size_t maxLiveParticles = 5000;
constexpr double maxLifetime = 60;
constexpr double maxSpeed = 10000;
constexpr double maxDistance = 10000;
constexpr double maxScale = 100;
constexpr std::size_t maxColorStops = 64;
constexpr std::uintmax_t maxFileBytes = 1 << 20;

using resource::Warnings;

void readNumber(const json& object, const char* key, double& out, double low, double high, Warnings* warnings)
{
    if (auto it = object.find(key); it != object.end()) out = resource::number(*it, key, low, high, warnings);
}

void readVector(const json& object, const char* key, CGVector& out, double limit, Warnings* warnings)
{
    auto it = object.find(key);
    if (it == object.end()) return;
    if (!it->is_array() || it->size() != 2) throw std::runtime_error(std::string("\"") + key + "\" is not [x, y]");
    out.dx = resource::number((*it)[0], std::string(key) + "[0]", -limit, limit, warnings);
    out.dy = resource::number((*it)[1], std::string(key) + "[1]", -limit, limit, warnings);
}

void readSettings(const json& doc, SKEmitterNode::Settings& s, Warnings* warnings)
{
    if (!doc.is_object()) throw std::runtime_error("the top level is not an object");
    resource::requireKnownKeys(doc, {"birthRate", "numParticlesToEmit", "lifetime", "lifetimeRange", "emissionAngle",
                                     "emissionAngleRange", "speed", "speedRange", "acceleration", "positionRange",
                                     "radius", "scale", "scaleRange", "scaleSpeed", "alpha", "alphaRange",
                                     "alphaSpeed", "colors", "blendMode"});

    readNumber(doc, "birthRate", s.birthRate, 0, maxBirthRate, warnings);
    double count = s.numParticlesToEmit;
    readNumber(doc, "numParticlesToEmit", count, 0, maxParticlesToEmit, warnings);
    s.numParticlesToEmit = static_cast<int>(count);
    readNumber(doc, "lifetime", s.lifetime, 0, maxLifetime, warnings);
    readNumber(doc, "lifetimeRange", s.lifetimeRange, 0, maxLifetime, warnings);
    readNumber(doc, "emissionAngle", s.emissionAngle, -360, 360, warnings);
    readNumber(doc, "emissionAngleRange", s.emissionAngleRange, 0, 360, warnings);
    readNumber(doc, "speed", s.speed, -maxSpeed, maxSpeed, warnings);
    readNumber(doc, "speedRange", s.speedRange, 0, maxSpeed, warnings);
    readVector(doc, "acceleration", s.acceleration, maxSpeed, warnings);
    readVector(doc, "positionRange", s.positionRange, maxDistance, warnings);
    s.positionRange = {std::abs(s.positionRange.dx), std::abs(s.positionRange.dy)};
    readNumber(doc, "radius", s.radius, 0, maxDistance, warnings);
    readNumber(doc, "scale", s.scale, 0, maxScale, warnings);
    readNumber(doc, "scaleRange", s.scaleRange, 0, maxScale, warnings);
    readNumber(doc, "scaleSpeed", s.scaleSpeed, -maxScale, maxScale, warnings);
    readNumber(doc, "alpha", s.alpha, 0, 1, warnings);
    readNumber(doc, "alphaRange", s.alphaRange, 0, 1, warnings);
    readNumber(doc, "alphaSpeed", s.alphaSpeed, -maxScale, maxScale, warnings);

    if (auto it = doc.find("colors"); it != doc.end()) {
        if (!it->is_array() || it->empty()) throw std::runtime_error("\"colors\" is not a list of colour stops");
        if (it->size() > maxColorStops) throw std::runtime_error("\"colors\" has too many stops");
        s.colors.clear();
        for (const json& stop : *it) {
            if (!stop.is_object() || !stop.contains("at") || !stop.contains("color") || stop.size() != 2)
                throw std::runtime_error("a colour stop is not {\"at\": …, \"color\": […]}");
            SKEmitterNode::Settings::ColorStop c{0, resource::color(stop["color"], "color", warnings)};
            readNumber(stop, "at", c.at, 0, 1, warnings);
            s.colors.push_back(c);
        }
        std::stable_sort(s.colors.begin(), s.colors.end(),
                         [](const auto& a, const auto& b) { return a.at < b.at; });
    }
    if (auto it = doc.find("blendMode"); it != doc.end()) {
        if (*it == "add")
            s.additive = true;
        else if (*it == "alpha")
            s.additive = false;
        else
            throw std::runtime_error("\"blendMode\" is neither \"add\" nor \"alpha\"");
    }
}

} // namespace

std::optional<SKEmitterNode::Settings> SKEmitterNode::parse(std::string_view text, std::string& error,
                                                            std::vector<std::string>* warnings)
{
    json doc = json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (doc.is_discarded()) {
        error = "not valid JSON";
        return std::nullopt;
    }
    Settings settings;
    try {
        readSettings(doc, settings, warnings);
    } catch (const std::exception& e) {
        error = e.what();
        return std::nullopt;
    }
    return settings;
}

std::shared_ptr<SKEmitterNode> SKEmitterNode::nodeWithFileNamed(std::string_view name, const SKBundle& bundle)
{
    std::string fileName = std::string(name) + ".emitter.json";
    // Loaded again on every call, a broken file would say so on every hit: once is enough.
    std::string named = (bundle.directory() / fileName).string();
    // what: " is missing", ": not JSON", …
    auto fail = [&](const std::string& what) -> std::shared_ptr<SKEmitterNode> {
        std::string line = "emitter " + named + what + "; not shown";
        Diagnostics::tellOnce(line, line);
        return nullptr;
    };
    auto found = bundle.find(fileName);
    if (!found.path) return fail(" " + found.problem);
    const auto& path = found.path;
    std::string error;
    auto text = resource::readText(*path, maxFileBytes, error);
    if (!text) return fail(": " + error);
    std::vector<std::string> warnings;
    auto settings = parse(*text, error, &warnings);
    if (!settings) return fail(": " + error);
    for (const auto& warning : warnings) {
        std::string line = "emitter " + named + ": " + warning;
        Diagnostics::tellOnce(line, line);
    }
    return std::make_shared<SKEmitterNode>(std::move(*settings));
}

SKEmitterNode::SKEmitterNode() : SKEmitterNode(Settings{}) {}

SKEmitterNode::SKEmitterNode(Settings settings) : settings_(std::move(settings))
{
    if (settings_.colors.empty()) settings_.colors.push_back({0, SKColor::whiteColor()});
}

double SKEmitterNode::spread(double value, double range)
{
    if (range <= 0) return value;
    return value + std::uniform_real_distribution<double>(-range / 2, range / 2)(random_);
}

void SKEmitterNode::emitOne()
{
    const Settings& s = settings_;
    double angle = spread(s.emissionAngle, s.emissionAngleRange) * std::numbers::pi / 180;
    double speed = spread(s.speed, s.speedRange);
    Particle p;
    p.position = {spread(0, s.positionRange.dx), spread(0, s.positionRange.dy)};
    p.velocity = {std::cos(angle) * speed, std::sin(angle) * speed};
    p.age = 0;
    p.lifetime = std::max(0.0, spread(s.lifetime, s.lifetimeRange));
    p.scale = std::max(0.0, spread(s.scale, s.scaleRange));
    p.alpha = std::clamp(spread(s.alpha, s.alphaRange), 0.0, 1.0);
    particles_.push_back(p);
    ++emitted_;
}

void SKEmitterNode::advanceSimulation(double dt)
{
    if (dt <= 0) return;
    const Settings& s = settings_;

    std::size_t live = 0;
    for (Particle& p : particles_) {
        p.age += dt;
        if (p.age >= p.lifetime) continue;
        p.velocity.dx += s.acceleration.dx * dt;
        p.velocity.dy += s.acceleration.dy * dt;
        p.position.x += p.velocity.dx * dt;
        p.position.y += p.velocity.dy * dt;
        p.scale = std::max(0.0, p.scale + s.scaleSpeed * dt);
        p.alpha = std::clamp(p.alpha + s.alphaSpeed * dt, 0.0, 1.0);
        particles_[live++] = p;
    }
    particles_.resize(live);

    bool forever = s.numParticlesToEmit == 0;
    birthDebt_ += s.birthRate * dt;
    while (birthDebt_ >= 1 && (forever || emitted_ < s.numParticlesToEmit)) {
        birthDebt_ -= 1;
        if (particles_.size() < maxLiveParticles) emitOne();
    }
    if (!forever && emitted_ >= s.numParticlesToEmit) birthDebt_ = 0;
}

SKColor SKEmitterNode::colorAt(double f) const
{
    const auto& stops = settings_.colors;
    if (f <= stops.front().at) return stops.front().color;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (f <= stops[i].at) {
            const auto& a = stops[i - 1];
            const auto& b = stops[i];
            double t = b.at > a.at ? (f - a.at) / (b.at - a.at) : 1;
            return {a.color.red + (b.color.red - a.color.red) * t, a.color.green + (b.color.green - a.color.green) * t,
                    a.color.blue + (b.color.blue - a.color.blue) * t, a.color.alpha + (b.color.alpha - a.color.alpha) * t};
        }
    }
    return stops.back().color;
}

namespace {

// A round particle of one size, white: the renderer tints it to each particle's colour.
class ParticleLook final : public SKLook {
public:
    ParticleLook(std::uint64_t hash, double radius) : SKLook(hash), radius_(radius) {}
    bool equals(const SKLook& other) const override
    {
        auto* o = dynamic_cast<const ParticleLook*>(&other);
        return o && o->radius_ == radius_;
    }
    CGRect bounds() const override { return {{-radius_, -radius_}, {2 * radius_, 2 * radius_}}; }
    void draw(cairo_t* cr) const override { disc(cr, {0, 0}, radius_, SKColor::whiteColor(), 1); }

    static void disc(cairo_t* cr, CGPoint at, double radius, SKColor color, double alpha)
    {
        cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha * alpha);
        cairo_new_path(cr);
        cairo_arc(cr, at.x, at.y, radius, 0, 2 * std::numbers::pi);
        cairo_fill(cr);
    }

private:
    double radius_;
};

// Sizes to a quarter of a point: a step the eye does not see in a burst.
constexpr double radiusSteps = 4;
constexpr std::size_t maxParticleLooks = 1024;

} // namespace

std::shared_ptr<const SKLook>& SKEmitterNode::particleLook(double radius) const
{
    auto key = std::uint64_t(std::lround(radius * radiusSteps));
    auto it = looks_.find(key);
    if (it == looks_.end()) {
        if (looks_.size() >= maxParticleLooks) looks_.clear();
        std::uint64_t hash = LookHasher().add(std::string_view("particle")).add(key).value();
        it = looks_.emplace(key, std::make_shared<ParticleLook>(hash, double(key) / radiusSteps)).first;
    }
    return it->second;
}

CGRect SKEmitterNode::drawBounds() const
{
    CGRect bounds;
    for (const Particle& p : particles_) {
        double r = settings_.radius * p.scale + 1;
        bounds = bounds.unionWith({{p.position.x - r, p.position.y - r}, {2 * r, 2 * r}});
    }
    return bounds;
}

void SKEmitterNode::drawContent(SKRenderContext& context) const
{
    if (particles_.empty()) return;
    cairo_t* cr = context.cr;
    cairo_save(cr);
    if (settings_.additive) cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    for (const Particle& p : particles_) {
        double r = settings_.radius * p.scale;
        if (r <= 0) continue;
        SKColor c = colorAt(p.lifetime > 0 ? p.age / p.lifetime : 1);
        double a = c.alpha * p.alpha * context.alpha;
        if (a <= 0) continue;
        // As a sprite when the surface takes them, at the nearest pixel (a spark does not hold
        // still long enough to show a quarter pixel); drawn with cairo otherwise.
        c.alpha = 1;
        SKColor tint{c.red, c.green, c.blue, a};
        if (context.sprites &&
            context.sprites->drawLook(context, particleLook(r), p.position, tint, settings_.additive, true))
            continue;
        ParticleLook::disc(cr, p.position, r, c, a);
    }
    cairo_restore(cr);
}

#include "SKCoder.hpp"

#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>
#include <iostream>

namespace {

using json = nlohmann::json;

// A scene larger than this on either side is a broken file, not a big screen.
constexpr double maxSide = 16384;
constexpr std::uintmax_t maxFileBytes = 1 << 16;

double finiteNumber(const json& v, const char* what)
{
    if (!v.is_number()) throw std::runtime_error(std::string(what) + " is not a number");
    double d = v.get<double>();
    if (!std::isfinite(d)) throw std::runtime_error(std::string(what) + " is not finite");
    return d;
}

} // namespace

std::optional<SKCoder> SKCoder::parse(std::string_view text, std::string& error)
{
    json doc = json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (doc.is_discarded()) {
        error = "not valid JSON";
        return std::nullopt;
    }
    try {
        if (!doc.is_object()) throw std::runtime_error("the top level is not an object");
        for (auto& [key, value] : doc.items())
            if (key != "size" && key != "backgroundColor") throw std::runtime_error("unknown field \"" + key + "\"");
        auto size = doc.find("size");
        if (size == doc.end()) throw std::runtime_error("\"size\" is missing");
        if (!size->is_array() || size->size() != 2) throw std::runtime_error("\"size\" is not [width, height]");
        SKCoder coder;
        coder.size = {finiteNumber((*size)[0], "\"size\" width"), finiteNumber((*size)[1], "\"size\" height")};
        if (coder.size.width <= 0 || coder.size.height <= 0 || coder.size.width > maxSide || coder.size.height > maxSide)
            throw std::runtime_error("\"size\" is not between 1 and 16384 on each side");
        if (auto color = doc.find("backgroundColor"); color != doc.end()) {
            if (!color->is_array() || (color->size() != 3 && color->size() != 4))
                throw std::runtime_error("\"backgroundColor\" is not [r, g, b] or [r, g, b, a]");
            double c[4] = {0, 0, 0, 1};
            for (std::size_t i = 0; i < color->size(); ++i)
                c[i] = std::clamp(finiteNumber((*color)[i], "a \"backgroundColor\" component"), 0.0, 1.0);
            coder.backgroundColor = SKColor{c[0], c[1], c[2], c[3]};
        }
        return coder;
    } catch (const std::exception& e) {
        error = e.what();
        return std::nullopt;
    }
}

std::optional<SKCoder> SKCoder::sceneNamed(std::string_view name, const SKBundle& bundle)
{
    auto path = bundle.pathForResource(std::string(name) + ".scene.json");
    if (!path) return std::nullopt;
    auto fail = [&](const std::string& reason) -> std::optional<SKCoder> {
        std::cerr << "tarvenko: scene " << path->string() << ": " << reason << "; using the built-in scene\n";
        return std::nullopt;
    };
    std::error_code sizeError;
    if (std::filesystem::file_size(*path, sizeError) > maxFileBytes && !sizeError) return fail("file too large");
    std::ifstream in(*path, std::ios::binary);
    if (!in) return fail("cannot be read");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    auto coder = parse(text, error);
    if (!coder) return fail(error);
    return coder;
}

#include "SKCoder.hpp"

#include "Diagnostics.hpp"
#include "ResourceFile.hpp"

#include <nlohmann/json.hpp>

#include <cmath>

namespace {

using json = nlohmann::json;

// A scene larger than this on either side is a broken file, not a big screen.
constexpr double maxSide = 16384;
constexpr std::uintmax_t maxFileBytes = 1 << 16;

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
        resource::requireKnownKeys(doc, {"size", "backgroundColor"});
        auto size = doc.find("size");
        if (size == doc.end()) throw std::runtime_error("\"size\" is missing");
        if (!size->is_array() || size->size() != 2) throw std::runtime_error("\"size\" is not [width, height]");
        SKCoder coder;
        // Out of range is broken here, not clamped: no sensible scene is 0 or 100000 points wide.
        coder.size = {resource::number((*size)[0], "size[0]", -INFINITY, INFINITY, nullptr),
                      resource::number((*size)[1], "size[1]", -INFINITY, INFINITY, nullptr)};
        if (coder.size.width < 1 || coder.size.height < 1 || coder.size.width > maxSide || coder.size.height > maxSide)
            throw std::runtime_error("\"size\" is not between 1 and 16384 on each side");
        if (auto color = doc.find("backgroundColor"); color != doc.end())
            coder.backgroundColor = resource::color(*color, "backgroundColor", nullptr);
        return coder;
    } catch (const std::exception& e) {
        error = e.what();
        return std::nullopt;
    }
}

std::optional<SKCoder> SKCoder::sceneNamed(std::string_view name, const SKBundle& bundle)
{
    // The scene resource is optional: only one that is there but cannot be used is told.
    std::string fileName = std::string(name) + ".scene.json";
    // what: " is a directory, not a file", ": not JSON", …
    auto fail = [&](const std::string& what) -> std::optional<SKCoder> {
        Diagnostics::tell("scene " + (bundle.directory() / fileName).string() + what + "; using the built-in scene");
        return std::nullopt;
    };
    auto found = bundle.find(fileName);
    if (found.missing) return std::nullopt;
    if (!found.path) return fail(" " + found.problem);
    const auto& path = found.path;
    std::string error;
    auto text = resource::readText(*path, maxFileBytes, error);
    if (!text) return fail(": " + error);
    auto coder = parse(*text, error);
    if (!coder) return fail(": " + error);
    return coder;
}

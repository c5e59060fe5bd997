#include "ResourceFile.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace resource {

std::optional<std::string> readText(const std::filesystem::path& path, std::uintmax_t maxBytes, std::string& error)
{
    std::error_code sizeError;
    if (std::filesystem::file_size(path, sizeError) > maxBytes && !sizeError) {
        error = "file too large";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot be read";
        return std::nullopt;
    }
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

double number(const nlohmann::json& value, const std::string& name, double low, double high, Warnings* warnings)
{
    if (!value.is_number()) throw std::runtime_error("\"" + name + "\" is not a number");
    double v = value.get<double>();
    if (!std::isfinite(v)) throw std::runtime_error("\"" + name + "\" is not finite");
    double clamped = std::clamp(v, low, high);
    if (clamped != v && warnings) {
        std::ostringstream note;
        note << '"' << name << "\" " << v << " is out of range, using " << clamped;
        warnings->push_back(note.str());
    }
    return clamped;
}

SKColor color(const nlohmann::json& value, const std::string& name, Warnings* warnings)
{
    if (!value.is_array() || (value.size() != 3 && value.size() != 4))
        throw std::runtime_error("\"" + name + "\" is not [r, g, b] or [r, g, b, a]");
    double c[4] = {0, 0, 0, 1};
    for (std::size_t i = 0; i < value.size(); ++i) c[i] = number(value[i], name + " component", 0, 1, warnings);
    return {c[0], c[1], c[2], c[3]};
}

void requireKnownKeys(const nlohmann::json& object, std::initializer_list<const char*> known)
{
    for (const auto& item : object.items()) {
        const std::string& key = item.key();
        if (std::none_of(known.begin(), known.end(), [&key](const char* k) { return key == k; }))
            throw std::runtime_error("unknown field \"" + key + "\"");
    }
}

} // namespace resource

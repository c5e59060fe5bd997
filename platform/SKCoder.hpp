#pragma once

#include "CGGeometry.hpp"
#include "SKBundle.hpp"
#include "SKColor.hpp"

#include <optional>
#include <string>
#include <string_view>

// What a scene resource ("<name>.scene.json", our own JSON format) says about a scene:
//   {"size": [800, 600], "backgroundColor": [0, 0, 0, 1]}
// The size is required; the colour is optional.
struct SKCoder {
    CGSize size;
    std::optional<SKColor> backgroundColor;

    // On failure, nothing and the reason.
    [[nodiscard]] static std::optional<SKCoder> parse(std::string_view json, std::string& error);
    // Nothing when the resource is missing; nothing and one line on stderr naming the file and
    // the reason when it cannot be read or understood.
    [[nodiscard]] static std::optional<SKCoder> sceneNamed(std::string_view name, const SKBundle& bundle);
};

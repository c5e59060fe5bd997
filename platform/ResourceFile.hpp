#pragma once

#include "SKColor.hpp"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Shared by the readers of our JSON resource files (emitters, scenes); not part of the platform's
// interface. Every failure is a short reason for the one stderr line its caller writes.
namespace resource {

using Warnings = std::vector<std::string>;

// The whole file, or nothing and why (unreadable, or larger than maxBytes).
[[nodiscard]] std::optional<std::string> readText(const std::filesystem::path& path, std::uintmax_t maxBytes,
                                                  std::string& error);

// A finite number, clamped into [low, high]; a warning says so when it had to be clamped.
// Throws std::runtime_error naming the value when it is not a finite number.
[[nodiscard]] double number(const nlohmann::json& value, const std::string& name, double low, double high,
                            Warnings* warnings);

// [r, g, b] or [r, g, b, a], each component clamped into 0…1. Throws like number().
[[nodiscard]] SKColor color(const nlohmann::json& value, const std::string& name, Warnings* warnings);

// Throws naming the first key of the object that is not in the list.
void requireKnownKeys(const nlohmann::json& object, std::initializer_list<const char*> known);

} // namespace resource

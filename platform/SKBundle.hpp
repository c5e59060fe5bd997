#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// Finds resource files by name in one folder.
class SKBundle {
public:
    explicit SKBundle(std::filesystem::path directory) : directory_(std::move(directory)) {}

    // The game's own resources: share/tarvenko beside the executable's bin/, which holds both in
    // the build tree and in an installed prefix.
    [[nodiscard]] static const SKBundle& main();

    // The file's path if it exists.
    [[nodiscard]] std::optional<std::filesystem::path> pathForResource(std::string_view fileName) const;
    [[nodiscard]] const std::filesystem::path& directory() const { return directory_; }

private:
    std::filesystem::path directory_;
};

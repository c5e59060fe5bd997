#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Finds resource files by name in one folder.
class SKBundle {
public:
    explicit SKBundle(std::filesystem::path directory) : directory_(std::move(directory)) {}

    // The game's own resources: share/tarvenko beside the executable's bin/, which holds both in
    // the build tree and in an installed prefix.
    [[nodiscard]] static const SKBundle& main();

    // A resource looked for: its path when it is a file that can be read, else what is wrong.
    struct Found {
        std::optional<std::filesystem::path> path;
        bool missing = false; // nothing of that name at all
        std::string problem;  // "is missing", "is a directory, not a file", "cannot be read (…)", …
    };
    [[nodiscard]] Found find(std::string_view fileName) const;
    [[nodiscard]] const std::filesystem::path& directory() const { return directory_; }

private:
    std::filesystem::path directory_;
};

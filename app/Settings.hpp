#pragma once

#include <filesystem>
#include <optional>

// The player's choices, kept from one run to the next.
struct Choices {
    bool fullscreen = false;
    bool sound = true;
    friend bool operator==(const Choices&, const Choices&) = default;
};

// Where the choices are kept: settings.json in $XDG_CONFIG_HOME/tarvenko (~/.config/tarvenko when
// unset). Written only when a choice changes, whole or not at all (a file of its own in the same
// folder, flushed, then renamed over), so a crash or a second game never leaves half of one. A
// file that cannot be read as choices is named in one line and the defaults are used; it is never
// overwritten silently: the next choice keeps it beside the new file as settings.json.bad.
class Settings {
public:
    // The folder of the environment's; none without XDG_CONFIG_HOME or HOME.
    explicit Settings(std::optional<std::filesystem::path> folder = configFolder());

    [[nodiscard]] static std::optional<std::filesystem::path> configFolder();

    [[nodiscard]] Choices load();
    // False, said once, when the choices cannot be kept (no home, a folder that cannot be written).
    bool save(const Choices& choices);

private:
    std::optional<std::filesystem::path> folder_;
    bool damaged_ = false; // the file there is not ours to overwrite
};

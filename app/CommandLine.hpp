#pragma once

#include <optional>
#include <string>

// What the command line asks for. The game takes a handful of options and nothing else.
struct CommandLine {
    enum class Action { play, help, version, refuse };
    Action action = Action::play;
    std::optional<bool> fullscreen; // this run only, over the remembered choice
    std::string text;               // what to print: the help, the version, or why it refuses

    static CommandLine parse(int argc, const char* const* argv);
};

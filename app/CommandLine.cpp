#include "CommandLine.hpp"

#include <string_view>

#ifndef TARVENKO_VERSION
#error "the build names the version"
#endif

namespace {

constexpr const char* help = R"(Usage: tarvenko [OPTION]...
A small vertical space shooter: steer the ship, shoot the enemies that fall, keep your three lives.

Options:
  --fullscreen   start in fullscreen this time
  --windowed     start in a window this time
  --help         show this help and exit
  --version      show the version and exit

Keys:
  Left, Right, A, D   steer
  Space               fire (hold to keep firing)
  Esc                 pause and resume
  M                   sound off and on
  F11, Alt+Enter      fullscreen and back
  Ctrl+Q              quit

Fullscreen and sound are remembered in $XDG_CONFIG_HOME/tarvenko/settings.json.
)";

} // namespace

CommandLine CommandLine::parse(int argc, const char* const* argv)
{
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") return {Action::help, std::nullopt, help};
        if (arg == "--version") return {Action::version, std::nullopt, "tarvenko " TARVENKO_VERSION "\n"};
        if (arg == "--fullscreen" || arg == "--windowed") {
            line.fullscreen = arg == "--fullscreen";
            continue;
        }
        std::string what = arg.starts_with('-') ? "unknown option" : "unexpected argument";
        return {Action::refuse, std::nullopt, what + " '" + std::string(arg) + "'; see 'tarvenko --help'"};
    }
    return line;
}

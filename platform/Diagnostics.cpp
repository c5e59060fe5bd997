#include "Diagnostics.hpp"

#include <cstdio>
#include <set>
#include <utility>

namespace {

// Main thread only, as is all of the game.
struct Sink {
    std::set<std::string, std::less<>> told;
    bool capturing = false;
    std::vector<std::string> captured;
};

Sink& sink()
{
    static Sink s;
    return s;
}

} // namespace

void Diagnostics::tell(std::string_view line)
{
    if (sink().capturing) {
        sink().captured.emplace_back(line);
        return;
    }
    // One write, so a line never interleaves with another thread's output.
    std::string out = "tarvenko: ";
    out.append(line).push_back('\n');
    std::fwrite(out.data(), 1, out.size(), stderr);
}

void Diagnostics::tellOnce(std::string_view cause, std::string_view line)
{
    if (!sink().told.emplace(cause).second) return;
    tell(line);
}

Diagnostics::Capture::Capture() { sink() = {{}, true, {}}; }

Diagnostics::Capture::~Capture() { sink() = {}; }

std::vector<std::string> Diagnostics::Capture::take() { return std::exchange(sink().captured, {}); }

#include "Diagnostics.hpp"

#include <cstdio>
#include <set>
#include <utility>

namespace {

// Main thread only, as is all of the game.
struct Sink {
    std::set<std::string, std::less<>> told;
    std::vector<std::string>* captured = nullptr;
};

Sink& sink()
{
    static Sink s;
    return s;
}

} // namespace

void Diagnostics::tell(std::string_view line)
{
    if (auto* captured = sink().captured) {
        captured->emplace_back(line);
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

namespace {
std::vector<std::string> capturedLines;
} // namespace

Diagnostics::Capture::Capture()
{
    capturedLines.clear();
    sink().told.clear();
    sink().captured = &capturedLines;
}

Diagnostics::Capture::~Capture()
{
    sink().captured = nullptr;
    sink().told.clear();
}

std::vector<std::string> Diagnostics::Capture::take() { return std::exchange(capturedLines, {}); }

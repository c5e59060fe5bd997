#include "Diagnostics.hpp"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <utility>

namespace {

std::atomic<int> outputFd{STDERR_FILENO};

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
    std::string out = "tarvenko: ";
    for (unsigned char c : line) {
        if (c >= 0x20 && c != 0x7f) {
            out.push_back(char(c));
            continue;
        }
        char escaped[5];
        const char* form = c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : "\\x%02x";
        std::snprintf(escaped, sizeof escaped, form, c);
        out += escaped;
    }
    out.push_back('\n');
    // One write, so a line never interleaves with another thread's output; a reader that has
    // gone makes it fail, quietly.
    (void)!write(outputFd, out.data(), out.size());
}

int Diagnostics::writeTo(int fd) { return outputFd.exchange(fd); }

void Diagnostics::tellOnce(std::string_view cause, std::string_view line)
{
    if (!sink().told.emplace(cause).second) return;
    tell(line);
}

Diagnostics::Capture::Capture() { sink() = {{}, true, {}}; }

Diagnostics::Capture::~Capture() { sink() = {}; }

std::vector<std::string> Diagnostics::Capture::take() { return std::exchange(sink().captured, {}); }

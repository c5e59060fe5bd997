#include "Diagnostics.hpp"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>
#include <utility>

namespace {

std::atomic<int> outputFd{STDERR_FILENO};

// The game's threads and the sound's opener may tell at once.
struct Sink {
    std::recursive_mutex lock;
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
    std::lock_guard hold(sink().lock);
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
    std::lock_guard hold(sink().lock);
    if (!sink().told.emplace(cause).second) return;
    tell(line);
}

namespace {
void reset(bool capturing)
{
    std::lock_guard hold(sink().lock);
    sink().told.clear(), sink().captured.clear();
    sink().capturing = capturing;
}
} // namespace

Diagnostics::Capture::Capture() { reset(true); }

Diagnostics::Capture::~Capture() { reset(false); }

std::vector<std::string> Diagnostics::Capture::take()
{
    std::lock_guard hold(sink().lock);
    return std::exchange(sink().captured, {});
}

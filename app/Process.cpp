#include "Process.hpp"

#include "Diagnostics.hpp"
#include "SessionBus.hpp"

#include <SDL.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

// Seconds a stopping game has to end its frame loop before it is ended anyway (a call into a
// display that stopped answering would hold it).
constexpr unsigned stopGrace = 3;
// Seconds the session bus has to answer before the game goes on without it.
constexpr double busDeadline = 1;

volatile std::sig_atomic_t running = 0;
struct sigaction sdlStop[2]; // SDL's own handlers, which turn a signal into a quit event

void onStop(int signal)
{
    if (!running) _exit(0);
    alarm(stopGrace);
    const struct sigaction& sdl = sdlStop[signal == SIGINT ? 0 : 1];
    if (sdl.sa_handler != SIG_DFL && sdl.sa_handler != SIG_IGN) sdl.sa_handler(signal);
    else _exit(0);
}

// What the game needs of the process's limits, measured (with sound through PulseAudio, which
// goes silent with a line when it finds too little room), with room to spare: its address space
// peaks at 173 MiB on X11 and at 445 MiB on Wayland, where SDL loads EGL for the window; its
// deepest stack (pango laying out text) takes between 80 and 96 KiB; it holds up to 19 files
// open, more for a moment while fonts and sounds load beside each other.
constexpr rlim_t threadStack = 2 << 20;
struct Need {
    int resource;
    rlim_t least;
    const char* name; // as ulimit calls it
    const char* option;
    rlim_t unit;
    const char* units;
};

std::vector<Need> needs()
{
    bool wayland = std::getenv("WAYLAND_DISPLAY") && *std::getenv("WAYLAND_DISPLAY");
    return {
        {RLIMIT_AS, rlim_t(wayland ? 512 : 256) << 20, "address space", "-v", 1 << 20, "MiB"},
        {RLIMIT_STACK, rlim_t(256) << 10, "stack size", "-s", 1 << 10, "KiB"},
        {RLIMIT_NOFILE, 64, "open files", "-n", 1, ""},
    };
}

} // namespace

std::string process::tightLimit()
{
    for (const Need& need : needs()) {
        rlimit limit{};
        if (getrlimit(need.resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= need.least)
            continue;
        // Raised as far as the hard limit allows, which anyone may do.
        if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max >= need.least) {
            limit.rlim_cur = need.least;
            if (setrlimit(need.resource, &limit) == 0) continue;
        }
        auto amount = [&](rlim_t n) { return std::to_string(n / need.unit) + (*need.units ? " " : "") + need.units; };
        return std::string("the ") + need.name + " limit (ulimit " + need.option + ") is " + amount(limit.rlim_cur) +
               "; the game needs at least " + amount(need.least);
    }
    return "";
}

void process::settle()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1) continue;
        int opened = open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) dup2(opened, fd), close(opened);
    }
    std::signal(SIGPIPE, SIG_IGN);
    // Threads take the stack limit as their stack size, 8 MiB each by default: 2 MiB is plenty,
    // and keeps the address space the game needs small.
    pthread_attr_t attributes;
    if (pthread_getattr_default_np(&attributes) == 0) {
        pthread_attr_setstacksize(&attributes, threadStack);
        pthread_setattr_default_np(&attributes);
        pthread_attr_destroy(&attributes);
    }
    struct sigaction stop {};
    stop.sa_handler = onStop;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    struct sigaction late {};
    late.sa_handler = [](int) { _exit(0); };
    sigemptyset(&late.sa_mask);
    sigaction(SIGALRM, &late, nullptr);
    // SDL connects to the bus as its events start.
    (void)sessionbus::check(busDeadline);
    // SDL hears stop signals as a quit once its events start, if nobody else does yet; ours go
    // first and hand over.
    std::signal(SIGINT, SIG_DFL), std::signal(SIGTERM, SIG_DFL);
    SDL_InitSubSystem(SDL_INIT_EVENTS);
    sigaction(SIGINT, nullptr, &sdlStop[0]);
    sigaction(SIGTERM, nullptr, &sdlStop[1]);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
}

void process::started() { running = 1; }

namespace {
// Hushes overlap (the sound opens on a thread of its own while the window may hush): the first
// silences stderr and the last gives it back.
std::mutex hushLock;
int hushes = 0;
int savedStderr = -1, previousOutput = -1;
} // namespace

process::Hush::Hush()
{
    std::lock_guard hold(hushLock);
    if (hushes++ > 0) return;
    savedStderr = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (savedStderr < 0 || null < 0) {
        if (null >= 0) close(null);
        if (savedStderr >= 0) close(savedStderr), savedStderr = -1;
        return;
    }
    dup2(null, STDERR_FILENO);
    close(null);
    previousOutput = Diagnostics::writeTo(savedStderr);
}

process::Hush::~Hush()
{
    std::lock_guard hold(hushLock);
    if (--hushes > 0 || previousOutput < 0) return;
    Diagnostics::writeTo(previousOutput);
    dup2(savedStderr, STDERR_FILENO);
    close(savedStderr);
    savedStderr = previousOutput = -1;
}

void process::leave(int status)
{
    std::fflush(stdout), std::fflush(stderr);
    _exit(status);
}

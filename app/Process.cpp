#include "Process.hpp"

#include "Diagnostics.hpp"
#include "SessionBus.hpp"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <mutex>

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

} // namespace

void process::settle()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1) continue;
        int opened = open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) dup2(opened, fd), close(opened);
    }
    std::signal(SIGPIPE, SIG_IGN);
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

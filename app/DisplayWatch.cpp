#include "DisplayWatch.hpp"

#include "Deadline.hpp"
#include "Diagnostics.hpp"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

WaylandProbe::WaylandProbe(const std::string& display, double deadlineSeconds)
{
    // libwayland's own lines about a broken connection would come before ours.
    wl_log_set_handler_client([](const char*, va_list) {});
    display_ = wl_display_connect(display.c_str());
    if (!display_) {
        problem_ = std::string("cannot connect: ") + std::strerror(errno);
        return;
    }
    bool answered = false, seated = false;
    // The globals come before the answer to the round trip.
    wl_registry* registry = wl_display_get_registry(display_);
    static const wl_registry_listener globals{
        [](void* seated, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
            if (std::strcmp(interface, wl_seat_interface.name) == 0) *static_cast<bool*>(seated) = true;
        },
        [](void*, wl_registry*, std::uint32_t) {}};
    wl_registry_add_listener(registry, &globals, &seated);
    wl_callback* sync = wl_display_sync(display_);
    static const wl_callback_listener listener{
        [](void* done, wl_callback*, std::uint32_t) { *static_cast<bool*>(done) = true; }};
    wl_callback_add_listener(sync, &listener, &answered);
    Deadline deadline(deadlineSeconds);
    auto failed = [&] {
        int error = wl_display_get_error(display_);
        problem_ = std::string("the connection failed: ") + std::strerror(error ? error : EPROTO);
    };
    while (!answered && problem_.empty()) {
        if (wl_display_prepare_read(display_) != 0) {
            if (wl_display_dispatch_pending(display_) < 0) failed();
            continue;
        }
        if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display_);
            failed();
            break;
        }
        pollfd p{wl_display_get_fd(display_), POLLIN, 0};
        int ready = poll(&p, 1, deadline.millisecondsLeft());
        if (ready <= 0) {
            wl_display_cancel_read(display_);
            if (ready == 0) problem_ = "no answer within " + deadline.said();
            else if (errno != EINTR) failed();
            continue;
        }
        if (wl_display_read_events(display_) < 0 || wl_display_dispatch_pending(display_) < 0) failed();
    }
    wl_callback_destroy(sync);
    wl_registry_destroy(registry);
    if (answered && !seated) problem_ = "it offers no seat: no keyboard or pointer";
}

WaylandProbe::~WaylandProbe()
{
    if (display_) wl_display_disconnect(display_);
}

int WaylandProbe::fd() const { return display_ && problem_.empty() ? wl_display_get_fd(display_) : -1; }

struct StartupWatch::Thread {
    int wake[2] = {-1, -1}; // written to when start-up is over
    std::thread thread;
    std::mutex said;          // held while the last word is said
    bool spoken = false;
};

StartupWatch::StartupWatch(std::string display, int fd, double deadlineSeconds) : thread_(std::make_unique<Thread>())
{
    if (pipe2(thread_->wake, O_CLOEXEC) != 0) return;
    Deadline deadline(deadlineSeconds);
    thread_->thread = std::thread([display = std::move(display), fd, deadline, t = thread_.get()] {
        int wake = t->wake[0];
        pollfd p[2] = {{wake, POLLIN, 0}, {fd, POLLRDHUP, 0}};
        for (;;) {
            int ready = poll(p, fd >= 0 ? 2 : 1, deadline.millisecondsLeft());
            if (ready < 0 && errno == EINTR) continue;
            if (p[0].revents) return;
            std::lock_guard lock(t->said);
            if (t->spoken) return; // start-up failed first and says so itself
            t->spoken = true;
            if (ready == 0)
                Diagnostics::tell(display + " did not let the window open within " + deadline.said());
            else Diagnostics::tell("lost " + display + " while the window was opening");
            _exit(1);
        }
    });
}

bool StartupWatch::claimLastWord()
{
    std::lock_guard lock(thread_->said);
    return !std::exchange(thread_->spoken, true);
}

StartupWatch::~StartupWatch()
{
    if (!thread_->thread.joinable()) return;
    char done = 1;
    (void)!write(thread_->wake[1], &done, 1);
    thread_->thread.join();
    close(thread_->wake[0]);
    close(thread_->wake[1]);
}

#pragma once

#include <memory>
#include <string>

struct wl_display;

// A Wayland display asked by us before SDL is trusted with it: one round trip, with a deadline.
// SDL crashes on a socket that closes at once or answers garbage, and on a compositor that offers
// no seat (no keyboard or pointer, as a headless one), and waits for ever on one that stays silent.
class WaylandProbe {
public:
    // Connects to the display and makes the round trip; problem() says what failed, if anything.
    WaylandProbe(const std::string& display, double deadlineSeconds);
    ~WaylandProbe();
    WaylandProbe(const WaylandProbe&) = delete;
    WaylandProbe& operator=(const WaylandProbe&) = delete;

    // "" when the compositor answered and offers a seat; else why not, for a line naming the display.
    [[nodiscard]] const std::string& problem() const { return problem_; }
    // The connection, kept open while the game starts so that a compositor going away is seen.
    [[nodiscard]] int fd() const;

private:
    wl_display* display_ = nullptr;
    std::string problem_;
};

// Start-up, watched from a thread of its own: when the display named goes away (its connection
// fd hangs up) or start-up takes longer than the deadline, one line naming the display and exit
// status 1, instead of the endless wait or spin inside the window system's library. Ends when
// destroyed, once the window is open.
class StartupWatch {
public:
    StartupWatch(std::string display, int fd, double deadlineSeconds);
    ~StartupWatch();
    // Start-up failed on its own: true when the caller is to say why, false when the watch has
    // said it already (the process is ending), so the user reads one line, not two.
    [[nodiscard]] bool claimLastWord();
    StartupWatch(const StartupWatch&) = delete;
    StartupWatch& operator=(const StartupWatch&) = delete;

private:
    struct Thread;
    std::unique_ptr<Thread> thread_;
};

// A compositor's first answer, the session bus's and the watch over start-up, against a Wayland
// server of the test's own and sockets that misbehave.
#include "Diagnostics.hpp"
#include "DisplayWatch.hpp"
#include "SessionBus.hpp"
#include "Support.hpp"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wayland-server-core.h>
#include <wayland-server-protocol.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

// A real compositor core, answering round trips on a thread until destroyed.
struct Compositor {
    wl_display* display = wl_display_create();
    std::atomic<bool> stop{false};
    std::thread loop;
    explicit Compositor(const char* name, bool seat = true)
    {
        EXPECT_EQ(wl_display_add_socket(display, name), 0);
        auto bind = [](wl_client*, void*, uint32_t, uint32_t) {};
        if (seat) wl_global_create(display, &wl_seat_interface, 1, nullptr, bind);
        loop = std::thread([this] {
            while (!stop) {
                wl_event_loop_dispatch(wl_display_get_event_loop(display), 10);
                wl_display_flush_clients(display);
            }
        });
    }
    // A client whose going the loop had no time to see is let go too.
    ~Compositor() { stop = true, loop.join(), wl_display_destroy_clients(display), wl_display_destroy(display); }
};

} // namespace

TEST(WaylandProbe, AnAnsweringCompositorPassesAndMisbehavingSocketsAreNamed)
{
    TempDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.dir.c_str(), 1);
    {
        Compositor compositor("answers");
        WaylandProbe probe("answers", 2);
        EXPECT_TRUE(probe.problem().empty() && probe.fd() >= 0) << "kept open for the watch";
    }
    {
        Compositor headless("headless", false); // SDL would crash on it
        WaylandProbe probe("headless", 2);
        EXPECT_EQ(probe.problem() + " " + std::to_string(probe.fd()), "it offers no seat: no keyboard or pointer -1");
    }

    int silent = listeningSocket(runtime.dir, "silent");
    EXPECT_EQ(WaylandProbe("silent", 0.2).problem(), "no answer within 0.2 s") << "given up at the deadline";

    EXPECT_EQ(WaylandProbe("nothing-here", 2).problem().rfind("cannot connect: ", 0), 0u);
    close(silent);
}

// Start-up ends with one line when the display never lets the window open, or goes away meanwhile.
TEST(StartupWatch, EndsAStartUpThatHangsWithOneLine)
{
    { StartupWatch inTime("the X display :9", -1, 5); }
    EXPECT_EXIT((StartupWatch("the X display :9", -1, 0.1), pause()), testing::ExitedWithCode(1),
                "^tarvenko: the X display :9 did not let the window open within 0.1 s\n$");
    auto compositorGoes = [] { // in the child, which alone holds both ends
        int ends[2];
        socketpair(AF_UNIX, SOCK_STREAM, 0, ends);
        StartupWatch watch("the Wayland display w", ends[0], 30);
        close(ends[1]), pause();
    };
    EXPECT_EXIT(compositorGoes(), testing::ExitedWithCode(1),
                "^tarvenko: lost the Wayland display w while the window was opening\n$");
}

// No bus named and none where a session keeps one (the runtime folder's "bus") means none, not
// one started for us. (A bus that answers, and one that stopped answering, are the end-to-end
// test's: a real one.)
TEST(SessionBus, NoBusIsNoBus)
{
    Diagnostics::Capture lines;
    unsetenv("DBUS_SESSION_BUS_ADDRESS"), setenv("XDG_RUNTIME_DIR", "/nonexistent", 1);
    EXPECT_EQ(sessionbus::check(5), "");
    EXPECT_TRUE(std::string(std::getenv("DBUS_SESSION_BUS_ADDRESS")) == "disabled:" && lines.take().empty());
}

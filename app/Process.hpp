#pragma once

// The ground the game stands on, laid first thing in main, before any library opens a
// connection: closed standard streams are opened on /dev/null (so no connection takes their
// numbers and gets our lines written into it), a write to a reader that has gone fails quietly
// instead of killing the game, threads get stacks of 2 MiB, SIGTERM and SIGINT end the game with
// status 0 at any stage, and the session bus is asked with a deadline (or not at all).
#include <string>

namespace process {

void settle();

// The process's limits (address space, stack, open files) raised to what the game needs where the
// hard limits allow: "" then, else the line saying which is too tight, for the game to end on
// before a library would abort for want of it.
std::string tightLimit();

// Stderr silenced while one lives, on any thread, around libraries that print as they connect
// (Xlib's authorisation, libwayland, libpulse): the game's own lines still get through, one per
// cause.
class Hush {
public:
    Hush();
    ~Hush();
    Hush(const Hush&) = delete;
    Hush& operator=(const Hush&) = delete;
};
// Start-up is over: from here a stop signal ends the frame loop, the way closing the window does.
// Until then it ends the process at once, since start-up may be waiting on a display that
// never answers.
void started();

// Ends the process now with the status, the standard streams flushed and nothing else closed:
// for a quit that a service which stopped answering would otherwise hold.
[[noreturn]] void leave(int status);

} // namespace process

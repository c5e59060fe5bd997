#pragma once

#include <string>

// The session bus, asked by us before SDL connects to it (as soon as its events start, for the
// screensaver and input methods), which would wait on it for ever. A bus that does not answer
// within the deadline costs that and one line; no bus means no bus, since libdbus would start
// one on the user's behalf (dbus-launch) that outlives the game. Either way the environment is
// then pointed at no bus, so every library skips it.
namespace sessionbus {

// "" when the bus answered, or there is none to ask; else what is wrong, already told.
std::string check(double deadlineSeconds);

} // namespace sessionbus

#include "SessionBus.hpp"

#include "Deadline.hpp"
#include "Diagnostics.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* variable = "DBUS_SESSION_BUS_ADDRESS";
// An address libdbus refuses at once, without starting anything.
constexpr const char* noBus = "disabled:";

// The socket of a "unix:path=…" or "unix:abstract=…" address (its first entry), as bind takes it;
// empty for any other kind, which is left as it is.
bool socketOf(const std::string& address, sockaddr_un& to, socklen_t& length)
{
    std::string entry = address.substr(0, address.find(';'));
    if (!entry.starts_with("unix:")) return false;
    for (std::size_t at = 5; at < entry.size();) {
        std::size_t end = entry.find(',', at);
        std::string pair = entry.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? entry.size() : end + 1;
        bool abstract = pair.starts_with("abstract=");
        if (!abstract && !pair.starts_with("path=")) continue;
        std::string name = pair.substr(pair.find('=') + 1);
        // Escaped bytes (%xx) are rare in socket paths; such an address is left to libdbus.
        if (name.empty() || name.find('%') != std::string::npos || name.size() + 1 >= sizeof to.sun_path) return false;
        to = {AF_UNIX, {}};
        std::memcpy(to.sun_path + (abstract ? 1 : 0), name.data(), name.size());
        length = socklen_t(offsetof(sockaddr_un, sun_path) + name.size() + 1); // its NUL, or the abstract's first
        return true;
    }
    return false;
}

// Whether a bus at that socket answers an authentication within the deadline ("" if so).
std::string ask(const sockaddr_un& to, socklen_t length, const Deadline& deadline)
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return "";
    std::string problem;
    char hello[64];
    int n = std::snprintf(hello, sizeof hello, "%cAUTH EXTERNAL ", 0);
    for (char digit : std::to_string(geteuid())) n += std::snprintf(hello + n, sizeof hello - n, "%02x", digit);
    n += std::snprintf(hello + n, sizeof hello - n, "\r\n");
    if (connect(fd, reinterpret_cast<const sockaddr*>(&to), length) != 0 && errno != EINPROGRESS) {
        // Nobody there: libdbus fails at once too.
        close(fd);
        return "";
    }
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, deadline.millisecondsLeft()) <= 0 || send(fd, hello, std::size_t(n), MSG_NOSIGNAL) != n) {
        problem = "does not take a connection";
    } else {
        p = {fd, POLLIN, 0};
        char reply[16];
        if (poll(&p, 1, deadline.millisecondsLeft()) <= 0) problem = "does not answer";
        else if (recv(fd, reply, sizeof reply, 0) <= 0) problem = "closed the connection";
    }
    close(fd);
    return problem;
}

} // namespace

std::string sessionbus::check(double deadlineSeconds)
{
    const char* named = std::getenv(variable);
    std::string address = named ? named : "";
    if (address.empty()) {
        // Where a session keeps its bus when it names none; without one, libdbus would launch one.
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        struct stat s {};
        std::string bus = runtime && *runtime ? std::string(runtime) + "/bus" : "";
        if (bus.empty() || stat(bus.c_str(), &s) != 0 || !S_ISSOCK(s.st_mode)) {
            setenv(variable, noBus, 1);
            return "";
        }
        address = "unix:path=" + bus;
        setenv(variable, address.c_str(), 1);
    }
    sockaddr_un to{};
    socklen_t length = 0;
    if (!socketOf(address, to, length)) return "";
    Deadline deadline(deadlineSeconds);
    std::string problem = ask(to, length, deadline);
    if (problem.empty()) return "";
    problem = "the session bus " + address + " " + problem + " within " + deadline.said() + "; going on without it";
    Diagnostics::tell(problem);
    setenv(variable, noBus, 1);
    return problem;
}

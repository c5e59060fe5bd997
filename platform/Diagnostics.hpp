#pragma once

#include <string>
#include <string_view>
#include <vector>

// The one place the game tells the user what is wrong: a line on stderr, "tarvenko: " first,
// control characters in it (a newline in a display's name) shown escaped, so it stays one line.
// A line given a cause is told once for that cause, however often it comes up (a broken file
// met on every hit). Tests capture the lines instead and start afresh. Any thread may tell.
class Diagnostics {
public:
    static void tell(std::string_view line);
    // Where lines go from now on (stderr's descriptor at first, while stderr itself is silenced
    // around a chatty library); the one before.
    static int writeTo(int fd);
    // Nothing when this cause has been told already.
    static void tellOnce(std::string_view cause, std::string_view line);

    // While one lives, lines are kept by it instead of written, and no cause counts as told.
    class Capture {
    public:
        Capture();
        ~Capture();
        Capture(const Capture&) = delete;
        Capture& operator=(const Capture&) = delete;
        // The lines told so far, without the "tarvenko: " prefix; then none.
        [[nodiscard]] std::vector<std::string> take();
    };
};

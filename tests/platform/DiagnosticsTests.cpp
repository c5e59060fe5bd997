#include "Diagnostics.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

using Lines = std::vector<std::string>;

TEST(Diagnostics, EachCauseIsToldOnceAndACaptureStartsAfresh)
{
    {
        Diagnostics::Capture capture;
        Diagnostics::tellOnce("emitter a", "emitter a: bad");
        Diagnostics::tellOnce("emitter a", "emitter a: bad");
        Diagnostics::tellOnce("emitter b", "emitter b: bad");
        Diagnostics::tell("no audio");
        Diagnostics::tell("no audio");
        EXPECT_EQ(capture.take(), (Lines{"emitter a: bad", "emitter b: bad", "no audio", "no audio"}));
        EXPECT_TRUE(capture.take().empty());
    }
    Diagnostics::Capture again;
    Diagnostics::tellOnce("emitter a", "emitter a: bad");
    EXPECT_EQ(again.take(), (Lines{"emitter a: bad"})) << "a new capture has told nothing yet";
}

TEST(Diagnostics, WithoutACaptureALineGoesToStderrWithTheGamesNameAndStaysOneLine)
{
    testing::internal::CaptureStderr();
    Diagnostics::tell("no display");
    Diagnostics::tell("cannot reach the X display :1\nx\r\x1b[2J\x7f");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "tarvenko: no display\ntarvenko: cannot reach the X display :1\\nx\\r\\x1b[2J\\x7f\n");

    // Elsewhere while stderr is silenced around a chatty library.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    int before = Diagnostics::writeTo(ends[1]);
    Diagnostics::tell("é ok");
    EXPECT_EQ(Diagnostics::writeTo(before), ends[1]);
    char got[32] = {};
    EXPECT_EQ(read(ends[0], got, sizeof got), 16);
    EXPECT_STREQ(got, "tarvenko: é ok\n");
    close(ends[0]), close(ends[1]);
}

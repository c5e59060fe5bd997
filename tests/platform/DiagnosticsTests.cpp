#include "Diagnostics.hpp"

#include <gtest/gtest.h>

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

TEST(Diagnostics, WithoutACaptureALineGoesToStderrWithTheGamesName)
{
    testing::internal::CaptureStderr();
    Diagnostics::tell("no display");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tarvenko: no display\n");
}

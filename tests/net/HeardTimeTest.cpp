// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// When the heard time of a track makes a listen, from the readings the player takes.
#include "CHeardTime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One step of the player: a position reading on a channel, a seek, or the end heard.
struct Step {
    enum Kind { Read, Seek, End } kind;
    quintptr channel = 0;
    qint64 ms = 0;
};

Step At(quintptr channel, qint64 ms)
{
    return {Step::Read, channel, ms};
}
Step SeekTo(qint64 ms)
{
    return {Step::Seek, 0, ms};
}
Step EndHeard()
{
    return {Step::End, 0, 0};
}

struct Case {
    const char* name;
    qint64 lengthMs;
    std::vector<Step> steps;
    qint64 heardMs;
    bool due;
};

class HeardTime : public ::testing::TestWithParam<Case> {};

TEST_P(HeardTime, CountsOnlyWhatPlayed)
{
    const Case& c = GetParam();
    CHeardTime heard;
    heard.Start(c.lengthMs);
    int dues = 0;
    for (const Step& step : c.steps) {
        if (step.kind == Step::Read)
            heard.Observe(step.channel, step.ms);
        else if (step.kind == Step::Seek)
            heard.Seeking(step.ms);
        else
            heard.Ended();
        dues += heard.TakeDue() ? 1 : 0;
    }
    EXPECT_EQ(heard.Heard(), c.heardMs);
    EXPECT_EQ(dues, c.due ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Tracks, HeardTime,
    ::testing::Values(
        // A 40 s track heard through faster than any reading: the end alone counts all of it.
        Case{"HeardThroughWithoutReadings", 40000, {EndHeard()}, 40000, true},
        Case{"HalfOfFortySeconds", 40000, {At(1, 500), At(1, 10000), At(1, 20000)}, 20000, true},
        Case{"SkippedAtTenSeconds", 40000, {At(1, 500), At(1, 10000)}, 10000, false},
        // Paused: the position stands, so readings taken then add nothing.
        Case{"PauseAddsNothing", 40000, {At(1, 15000), At(1, 15000), At(1, 15000), At(1, 19999)},
            19999, false},
        // A seek to 30 s on a new channel: the jump is not heard, what plays after it is.
        Case{"SeekJumpNotHeard", 40000,
            {At(1, 5000), SeekTo(30000), At(1, 5200), At(2, 31000), At(2, 35000)}, 10000, false},
        Case{"SeekBackHearsAgain", 40000,
            {At(1, 15000), SeekTo(0), At(2, 500), At(2, 6000)}, 21000, true},
        Case{"SeekThenEnd", 40000, {SeekTo(30000), EndHeard()}, 10000, false},
        // A channel that changes without a seek is the next track: this one ended.
        Case{"NextTrackOnNewChannel", 40000, {At(1, 12000), At(2, 300), At(2, 900)}, 40000, true},
        Case{"FourMinutesOfALongTrack", 3600000, {At(1, 239000), At(1, 240000)}, 240000, true},
        Case{"ShorterThanThirtySeconds", 29000, {EndHeard()}, 29000, false},
        Case{"UnknownLength", 0, {At(1, 500000), EndHeard()}, 500000, false},
        Case{"DueOnlyOnce", 40000, {At(1, 25000), At(1, 30000), EndHeard()}, 40000, true}),
    [](const ::testing::TestParamInfo<Case>& p) { return std::string(p.param.name); });

TEST(HeardTimeRule, NeedsHalfOrFourMinutesOfThirtySecondsOrMore)
{
    EXPECT_EQ(CHeardTime::Needed(29999), 0);
    EXPECT_EQ(CHeardTime::Needed(30000), 15000);
    EXPECT_EQ(CHeardTime::Needed(480000), 240000);
    EXPECT_EQ(CHeardTime::Needed(600000), 240000);
}

TEST(HeardTimeRule, ClearedTrackCountsNothing)
{
    CHeardTime heard;
    heard.Start(40000);
    heard.Clear();
    heard.Observe(1, 30000);
    heard.Ended();
    EXPECT_EQ(heard.Heard(), 0);
    EXPECT_FALSE(heard.TakeDue());
}

} // namespace

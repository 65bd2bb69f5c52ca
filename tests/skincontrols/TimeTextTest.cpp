// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The Time text: what it says for files, streams and nothing playing, and its click.
#include "CSkinText.h"
#include "CreateSkinControl.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeText, SaysHowFarIntoTheTrackOrHowMuchIsLeft)
{
    struct Case {
        const char* name;
        bool playing;
        qint64 position;
        qint64 length;
        bool remaining;
        const char* expected;
    };
    const Case cases[] = {
        {"file", true, 83, 245, false, "1:23 / 4:05"},
        {"file, remaining", true, 83, 245, true, "-2:42 / 4:05"},
        {"file at its start", true, 0, 245, false, "0:00 / 4:05"},
        {"file at its start, remaining", true, 0, 245, true, "-4:05 / 4:05"},
        {"past the end shows the end", true, 250, 245, false, "4:05 / 4:05"},
        {"past the end, remaining", true, 250, 245, true, "-0:00 / 4:05"},
        {"an hour and more counts in minutes", true, 3725, 4000, false, "62:05 / 66:40"},
        {"stream", true, 83, 0, false, "1:23"},
        {"stream, remaining has no meaning", true, 83, 0, true, "1:23"},
        {"stopped", false, 83, 245, false, ""},
        {"stopped, remaining", false, 83, 245, true, ""},
        {"stopped stream", false, 83, 0, false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CSkinText::TimeText(c.playing, c.position, c.length, c.remaining),
            QString::fromLatin1(c.expected))
            << c.name;
}

TEST(TimeText, AClickOnTheTimeIsReportedAndOtherTextsIgnoreTheMouse)
{
    const SkinRect rect {10, 10, 110, 30};
    const QPoint inside(50, 20);
    const QPoint outside(200, 20);

    auto time = CreateSkinControl(static_cast<int>(SkinKind::Time));
    ASSERT_NE(dynamic_cast<CSkinText*>(time.get()), nullptr);
    time->SetRect(rect);
    EXPECT_EQ(time->OnButtonDown(outside), nullptr);
    EXPECT_EQ(time->OnButtonDown(inside), time.get());
    EXPECT_TRUE(time->IsPressed()) << "the press keeps the window from being dragged";
    EXPECT_EQ(time->OnButtonUp(inside), time.get());
    EXPECT_FALSE(time->IsPressed());
    EXPECT_TRUE(time->IsHovered()) << "released over it: a click";

    // Pressed, then released elsewhere: reported so the capture ends, but not a click.
    time->OnButtonDown(inside);
    EXPECT_EQ(time->OnButtonUp(outside), time.get());
    EXPECT_FALSE(time->IsHovered());
    EXPECT_EQ(time->OnButtonUp(inside), nullptr) << "nothing was pressed";

    EXPECT_EQ(time->OnMouseMove(inside), time.get());
    EXPECT_EQ(time->OnMouseMove(inside), nullptr) << "no change, no repaint";

    for (const SkinKind kind : {SkinKind::Title, SkinKind::Artist, SkinKind::Album}) {
        auto text = CreateSkinControl(static_cast<int>(kind));
        text->SetRect(rect);
        EXPECT_EQ(text->OnMouseMove(inside), nullptr);
        EXPECT_EQ(text->OnButtonDown(inside), nullptr);
        EXPECT_FALSE(text->IsPressed());
        EXPECT_EQ(text->OnButtonUp(inside), nullptr);
    }
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The command-line renderer, run as a script would run it.
#include "SkinTestKit.h"

#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int status = -1;
    QStringList lines;
    QByteArray error;
};

ToolRun RunTool(const QStringList& args)
{
    QProcess p;
    p.start(qEnvironmentVariable("PLUMO_BUILD_DIR") + "/bin/plumo-skin", args);
    EXPECT_TRUE(p.waitForFinished(60000));
    ToolRun r;
    r.status = p.exitCode();
    r.lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    r.error = p.readAllStandardError();
    return r;
}

TEST(SkinTool, RoutesEventsFoldsPanelsAndPrintsEveryElement)
{
    SkinTestKit kit;
    kit.WriteButton("S", "b", 10, 10, Qt::darkGray, Qt::gray, Qt::black);
    kit.Write("S", "fold.xml", R"(<Trigger><P ID="2" Hide="1"/></Trigger>)");
    kit.WriteSkin("S", R"(<Transparent AlphaBlend="1"/>
        <Panel Name="Bar" ID="1"><Position Left="0" Top="0" Right="0" Height="20"/><Elements>
          <Button Trigger="fold.xml"><Skin File="b.xml"/><Position Left="2" Top="2"/></Button>
          <Mute><Skin File="none.xml"/><Position Right="0" Top="0" Width="8" Height="8"/></Mute>
          <Whatever/>
        </Elements></Panel>
        <Panel Name="Body" ID="2"><Position Left="0" Top="20" Right="0" Bottom="0"/>
          <Background><Fill><Fill Color="FF0000"/><Position Left="0" Top="0" Right="0" Bottom="0"/>
          </Fill></Background><Elements><Playlist><Skin File="list.xml"/></Playlist></Elements>
        </Panel>)");
    const QString folder = kit.ProgramFolder() + "/Skin/S";
    const QString out = kit.ProgramFolder() + "/out.png";

    ToolRun before = RunTool({ folder, "100", "60", out });
    ASSERT_EQ(before.status, 0) << before.error.constData();
    EXPECT_EQ(QImage(out).pixelColor(50, 40), QColor(Qt::red));
    EXPECT_EQ(QImage(out).pixelColor(50, 10).alpha(), 0) << "layered: alpha is kept";

    ToolRun after = RunTool({ folder, "100", "60", out, "move:5,5", "down:5,5", "up:5,5" });
    ASSERT_EQ(after.status, 0) << after.error.constData();
    const QStringList expected = {
        "0\tBar\tButton\t14\t0\t2\t2\t12\t12\t-",
        "0\tBar\tMute\t9\t0\t92\t0\t100\t8\tstate=0",
        "0\tBar\tWhatever\t0\t0\t0\t0\t100\t20\t-",
        "1\tBody\tPlaylist\t13\t1\t0\t20\t100\t60\t-",
    };
    EXPECT_EQ(after.lines.join('\n').toStdString(), expected.join('\n').toStdString());
    EXPECT_EQ(QImage(out).pixelColor(50, 40).alpha(), 0) << "the body was folded away";
    EXPECT_EQ(QImage(out).pixelColor(5, 5), QColor(Qt::gray)) << "the button still hovered";
}

// The line of the element with the tag, split into its tab-separated fields.
QStringList ElementLine(const ToolRun& run, const QString& tag)
{
    for (const QString& line : run.lines) {
        const QStringList fields = line.split('\t');
        if (fields.size() == 10 && fields[2] == tag)
            return fields;
    }
    return {};
}

TEST(SkinTool, TheShippedSkinsTellTheTimeOfAPositionAndCountDownAfterAClick)
{
    const TestProfile scratch;
    const QString out = scratch.File("out.png");
    for (const QString skin : {"Default", "Frost"}) {
        const QString folder = qEnvironmentVariable("PLUMO_BUILD_DIR") + "/bin/Skin/" + skin;
        struct Case {
            QStringList events;
            const char* expected;
        };
        ToolRun still = RunTool({folder, "600", "500", out});
        ASSERT_EQ(still.status, 0) << still.error.constData();
        const QStringList time = ElementLine(still, "Time");
        ASSERT_EQ(time.size(), 10) << skin.toStdString();
        EXPECT_EQ(time[3], "24");
        EXPECT_EQ(time[9], "text=") << "nothing plays";
        const QString centre = QString("%1,%2").arg((time[5].toInt() + time[7].toInt()) / 2)
                                   .arg((time[6].toInt() + time[8].toInt()) / 2);
        const Case cases[] = {
            {{"pos:83/245"}, "text=1:23 / 4:05"},
            {{"pos:83/245", "down:" + centre, "up:" + centre}, "text=-2:42 / 4:05"},
            {{"down:" + centre, "up:" + centre, "pos:83/245"}, "text=-2:42 / 4:05"},
            {{"pos:83/245", "down:" + centre, "up:" + centre, "down:" + centre, "up:" + centre},
                "text=1:23 / 4:05"},
            {{"pos:83"}, "text=1:23"},
        };
        for (const Case& c : cases) {
            const ToolRun run = RunTool(QStringList{folder, "600", "500", out} + c.events);
            ASSERT_EQ(run.status, 0) << run.error.constData();
            EXPECT_EQ(ElementLine(run, "Time").value(9), c.expected)
                << skin.toStdString() << " " << c.events.join(' ').toStdString();
        }
        for (const QString bad : {"pos:", "pos:x/245", "pos:1/2/3", "pos:-1/245"})
            EXPECT_EQ(RunTool({folder, "600", "500", out, bad}).status, 2) << bad.toStdString();
    }
}

TEST(SkinTool, UnreadableSkinsAndBadArgumentsFail)
{
    SkinTestKit kit;
    kit.Write("Bad", "Skin.xml", "<Window><Panel>");
    const QString out = kit.ProgramFolder() + "/out.png";
    for (const QString& folder : { kit.ProgramFolder() + "/Skin/Bad", kit.ProgramFolder() + "/Skin/None" }) {
        const ToolRun r = RunTool({ folder, "100", "60", out });
        EXPECT_EQ(r.status, 1) << folder.toStdString();
        EXPECT_FALSE(r.error.isEmpty());
    }
    kit.WriteSkin("Ok", "");
    EXPECT_EQ(RunTool({ kit.ProgramFolder() + "/Skin/Ok", "0", "60", out }).status, 2);
    EXPECT_EQ(RunTool({ kit.ProgramFolder() + "/Skin/Ok", "10", "6", out, "click:1,1" }).status, 2);
    EXPECT_EQ(RunTool({ kit.ProgramFolder() + "/Skin/Ok", "10", "6", out }).status, 0);
}

} // namespace

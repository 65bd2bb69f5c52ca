// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// A station row from the loopback directory, played by the real engine: the row's tune-in
// address answers with a pls playlist that names the stream, and the stream is heard on SDL's
// disk driver.
#include "AudioFixture.h"
#include "CDirectoryLoad.h"
#include "CPlayBass.h"
#include "CSHOUTcast.h"
#include "DirectoryServer.h"
#include "RadioStations.h"
#include "TestProfile.h"
#include "audio/CAudioLib.h"

#include "../library/RecordingSinks.h"
#include "../playback/EngineTarget.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

namespace {

// The loudest left-channel sample written so far (stereo float frames).
float Loudest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0.0f;
    const QByteArray bytes = file.readAll();
    float peak = 0.0f;
    const qsizetype frames = bytes.size() / qsizetype(2 * sizeof(float));
    for (qsizetype i = 0; i < frames; ++i) {
        float left = 0.0f;
        std::memcpy(&left, bytes.constData() + i * 2 * qsizetype(sizeof(float)), sizeof(float));
        peak = std::max(peak, std::fabs(left));
    }
    return peak;
}

TEST(StationPlayback, AStationRowPlaysThroughItsTuneInPlaylist)
{
    TestProfile dir;
    const QString mp3 = dir.File("stream.mp3");
    fixture::Tone tone;
    tone.seconds = 3.0;
    ASSERT_TRUE(fixture::MakeTone(mp3, tone));
    QFile file(mp3);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray audio = file.readAll();

    DirectoryServer server;
    server.SetHandler([&](const QByteArray& target) -> DirectoryServer::Answer {
        if (target.startsWith("/sbin/newxml.phtml?genre=Jazz"))
            return {HttpAnswer(StationList({R"(name="Loopback FM" id="4711" lc="64")"}))};
        if (target == "/sbin/tunein-station.pls?id=4711")
            return {"HTTP/1.0 200 OK\r\nContent-Type: audio/x-scpls\r\n\r\n[playlist]\r\n"
                    "numberofentries=1\r\nFile1=http://" + server.Server().toLatin1()
                    + "/live\r\nTitle1=Loopback FM\r\nLength1=-1\r\nVersion=2\r\n"};
        if (target == "/live")
            return {"HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n" + audio};
        return {"HTTP/1.0 404 Not Found\r\n\r\n"};
    });
    CSHOUTcast radio;
    radio.SetServer(server.Server());
    RecordingList list;
    CDirectoryLoad load;
    bool listed = false;
    QObject::connect(&load, &CDirectoryLoad::Finished,
        [&](bool ok, const std::vector<radio::Station>& stations) {
            listed = ok;
            radio::ListStations(list, stations);
        });
    radio.FillStations(load, QStringLiteral("Jazz"));
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return !load.IsRunning(); }, 30000));
    ASSERT_TRUE(listed);
    ASSERT_EQ(list.SongCount(), 1);
    const QString row = list.rows[0];
    const QString address = row.section(QLatin1Char('|'), 1, 1);
    EXPECT_TRUE(row.startsWith(QStringLiteral("S 1,0,3,0|")));

    const QString out = dir.File("out.raw");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(out));
    qputenv("SDL_DISKAUDIODELAY", "0");
    {
        CAudioLib audioLib;
        CPlayBass engine(audioLib);
        engine.SetProfileFolder(dir.Path());
        EngineTarget target;
        engine.Init(&target);
        engine.OpenURL(address);
        ASSERT_TRUE(EngineTarget::PumpUntil(
            [&] { return !target.Of(UWM_PLAYERCONNECT).empty(); }, 30000));
        EXPECT_EQ(target.Of(UWM_PLAYERCONNECT)[0].wParam, 0u) << "connected and playing";
        EXPECT_TRUE(engine.IsStream());
        // The tone's peak is 0.5; the fade-in may still be running when the check starts.
        EXPECT_TRUE(EngineTarget::PumpUntil([&] { return Loudest(out) > 0.3f; }, 30000));
        engine.Stop();
        EngineTarget::PumpUntil([&] { return engine.GetChannel() == 0; }, 5000);
    }
    qputenv("SDL_AUDIODRIVER", "dummy");
    ASSERT_GE(server.requests.size(), 3);
    EXPECT_TRUE(server.requests[1].startsWith("GET /sbin/tunein-station.pls?id=4711 "))
        << server.requests[1].toStdString();
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// A station row from the loopback directory, played by the real engine: the row's tune-in
// address answers with a pls playlist that names the stream, and the stream is heard on SDL's
// disk driver. A station of the open directory whose address was typed with a space and a '|'
// plays from the encoded address it is listed with.
#include "AudioFixture.h"
#include "CDirectoryLoad.h"
#include "CPlayBass.h"
#include "CSHOUTcast.h"
#include "DirectoryServer.h"
#include "RadioBrowserAnswer.h"
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

// Three seconds of MP3 tone to serve as a station's stream; empty when it cannot be made.
QByteArray ToneStream(const TestProfile& dir)
{
    const QString mp3 = dir.File("stream.mp3");
    fixture::Tone tone;
    tone.seconds = 3.0;
    QFile file(mp3);
    if (!fixture::MakeTone(mp3, tone) || !file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Plays address through the real engine as a stream until the tone is heard; false when it
// does not connect, is not taken as a stream or stays silent.
bool PlaysTone(const TestProfile& dir, const QString& address)
{
    const QString out = dir.File("out.raw");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(out));
    qputenv("SDL_DISKAUDIODELAY", "0");
    bool heard = false;
    {
        CAudioLib audioLib;
        CPlayBass engine(audioLib);
        engine.SetProfileFolder(dir.Path());
        EngineTarget target;
        engine.Init(&target);
        engine.OpenURL(address);
        const bool connected = EngineTarget::PumpUntil(
            [&] { return !target.Of(UWM_PLAYERCONNECT).empty(); }, 30000);
        // The tone's peak is 0.5; the fade-in may still be running when the check starts.
        heard = connected && target.Of(UWM_PLAYERCONNECT)[0].wParam == 0u && engine.IsStream()
            && EngineTarget::PumpUntil([&] { return Loudest(out) > 0.3f; }, 30000);
        engine.Stop();
        EngineTarget::PumpUntil([&] { return engine.GetChannel() == 0; }, 5000);
    }
    qputenv("SDL_AUDIODRIVER", "dummy");
    return heard;
}

TEST(StationPlayback, ATypedInAddressPlaysInTheFormItIsListedWith)
{
    TestProfile dir;
    const QByteArray audio = ToneStream(dir);
    ASSERT_FALSE(audio.isEmpty());

    DirectoryServer server;
    server.SetHandler([&](const QByteArray& target) -> DirectoryServer::Answer {
        if (target == "/jazz%20live.mp3?sid=1%7Chq")
            return {"HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n" + audio};
        return {"HTTP/1.0 404 Not Found\r\n\r\n"};
    });
    const std::vector<radio::Station> stations = radio::ParseBrowserStations(
        "[{\"name\":\"Typed\",\"url_resolved\":\"\",\"url\":\"http://" + server.Server().toLatin1()
        + "/jazz live.mp3?sid=1|hq\"}]");
    ASSERT_EQ(stations.size(), 1u);
    EXPECT_TRUE(PlaysTone(dir, stations[0].file)) << stations[0].file.toStdString();
    ASSERT_FALSE(server.requests.isEmpty());
    EXPECT_TRUE(server.requests[0].startsWith("GET /jazz%20live.mp3?sid=1%7Chq "))
        << server.requests[0].toStdString();
}

TEST(StationPlayback, AStationRowPlaysThroughItsTuneInPlaylist)
{
    TestProfile dir;
    const QByteArray audio = ToneStream(dir);
    ASSERT_FALSE(audio.isEmpty());

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

    EXPECT_TRUE(PlaysTone(dir, address));
    ASSERT_GE(server.requests.size(), 3);
    EXPECT_TRUE(server.requests[1].startsWith("GET /sbin/tunein-station.pls?id=4711 "))
        << server.requests[1].toStdString();
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The engine through the real audio layer. SDL's disk driver writes exactly what was mixed
// (stereo float at 44100 Hz, no real-time pacing), so the tests read what would have been heard.
#include "AudioFixture.h"
#include "CPlayBass.h"
#include "EngineTarget.h"
#include "TestProfile.h"
#include "audio/CAudioLib.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

#include <gtest/gtest.h>

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 44;                 // about 1 ms: one period of a 1 kHz tone
constexpr double kFadeFrames = kRate / 2.0; // 500 ms
constexpr float kAmp = 0.5f;               // the fixture tones' peak

// Peaks of the left channel in blocks of kBlock frames.
using Envelope = std::vector<float>;

class EngineAudio : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_out = m_dir.File("out.raw");
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_out));
        qputenv("SDL_DISKAUDIODELAY", "0");
        Start();
    }
    void TearDown() override
    {
        Finish();
        qputenv("SDL_AUDIODRIVER", "dummy");
        qputenv("SDL_DISKAUDIODELAY", "0");
    }
    // A device that plays in real time (a buffer of 1024 frames every 23 ms), for tests whose
    // steps must happen within some audio rather than after some time: the engine starts over.
    void UsePacedDevice()
    {
        Finish();
        QFile::remove(m_out);
        qputenv("SDL_DISKAUDIODELAY", "23");
        Start();
    }
    void Start()
    {
        m_audio = std::make_unique<CAudioLib>();
        m_engine = std::make_unique<CPlayBass>(*m_audio);
        m_engine->SetProfileFolder(m_dir.Path());
        m_engine->Init(&m_target);
    }
    // Ends playback, closes the device so the output file is complete.
    void Finish()
    {
        if (!m_engine)
            return;
        m_engine->Stop();
        EngineTarget::PumpUntil([this] { return m_engine->GetChannel() == 0; }, 3000);
        m_engine.reset();
        m_audio.reset();
    }
    QString Tone(const QString& name, double seconds, double frequency = 1000.0)
    {
        const QString path = m_dir.File(name);
        fixture::Tone tone;
        tone.seconds = seconds;
        tone.frequency = frequency;
        EXPECT_TRUE(fixture::MakeTone(path, tone));
        return path;
    }
    std::vector<float> Left() const
    {
        QFile file(m_out);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        const auto* s = reinterpret_cast<const float*>(bytes.constData());
        std::vector<float> left(static_cast<size_t>(bytes.size()) / (2 * sizeof(float)));
        for (size_t i = 0; i < left.size(); ++i)
            left[i] = s[2 * i];
        return left;
    }
    // Without real-time pacing the device may outrun a decoder that the scheduler holds back;
    // the layer then mixes whole buffers of exact zeros, which no fade or tone here contains.
    // Those runs are taken out (they say nothing about the engine unless they sit at a seam);
    // the result lists where each one was, as an index into the remaining samples, and its length.
    static std::vector<std::pair<size_t, size_t>> WithoutUnderruns(std::vector<float>& left)
    {
        constexpr size_t kMinRun = 256;
        std::vector<std::pair<size_t, size_t>> removed;
        std::vector<float> kept;
        kept.reserve(left.size());
        for (size_t i = 0; i < left.size();) {
            size_t run = 0;
            while (i + run < left.size() && left[i + run] == 0.0f)
                ++run;
            if (run >= kMinRun && !kept.empty() && i + run < left.size())
                removed.emplace_back(kept.size(), run);
            else
                kept.insert(kept.end(), run, 0.0f);
            i += run;
            if (i < left.size())
                kept.push_back(left[i++]);
        }
        left.swap(kept);
        return removed;
    }
    static Envelope Peaks(const std::vector<float>& left)
    {
        Envelope env(left.size() / kBlock);
        for (size_t b = 0; b < env.size(); ++b)
            for (size_t i = 0; i < kBlock; ++i)
                env[b] = std::max(env[b], std::fabs(left[b * kBlock + i]));
        return env;
    }
    // First block at or after from whose peak is below (down) or at least (up) level; -1 if none.
    static long Cross(const Envelope& env, long from, float level, bool up)
    {
        for (auto b = static_cast<size_t>(std::max(0L, from)); b < env.size(); ++b)
            if (up ? env[b] >= level : env[b] < level)
                return static_cast<long>(b);
        return -1;
    }
    // Frames a linear fade takes between 90 % and 10 % of the tone's peak, starting from the
    // first steady level (full for a fade-out, silence for a fade-in) at or after from.
    static long FadeSpan(const Envelope& env, long from, bool up, long* end)
    {
        const long steady = Cross(env, from, (up ? 0.05f : 0.95f) * kAmp, !up);
        const long a = Cross(env, steady, (up ? 0.1f : 0.9f) * kAmp, up);
        const long b = Cross(env, a, (up ? 0.9f : 0.1f) * kAmp, up);
        *end = b;
        return steady < 0 || a < 0 || b < 0 ? -1 : (b - a) * kBlock;
    }
    bool WaitHalted()
    {
        return EngineTarget::PumpUntil(
            [this] { return !m_audio->ChannelIsPlaying(m_engine->GetChannel()); });
    }

    TestProfile m_dir;
    QString m_out;
    EngineTarget m_target;
    std::unique_ptr<CAudioLib> m_audio;
    std::unique_ptr<CPlayBass> m_engine;
};

TEST_F(EngineAudio, PauseResumeAndStopFadeOverHalfASecondAndKeepThePosition)
{
    UsePacedDevice(); // the pause must come well before the end, however fast a renderer runs
    const QString file = Tone("tone.flac", 20.0);
    ASSERT_TRUE(m_engine->PlayFile(file));
    m_engine->Pause();
    ASSERT_TRUE(WaitHalted());
    const int kept = m_engine->GetPosition();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 100000);
    // The device goes on mixing a tenth of a second after the halt; the position stays put.
    const qint64 mixed = QFileInfo(m_out).size();
    ASSERT_TRUE(EngineTarget::PumpUntil(
        [&] { return QFileInfo(m_out).size() >= mixed + 4410 * 8; }, 20000));
    EXPECT_EQ(m_engine->GetPosition(), kept);

    m_engine->Resume();
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return m_engine->GetPosition() > kept + 3000; }));
    const HCHANNEL channel = m_engine->GetChannel();
    m_engine->Stop();
    EXPECT_EQ(m_engine->GetChannel(), channel); // freed only when the fade has run out
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return m_engine->GetChannel() == 0; }));
    Finish();

    std::vector<float> left = Left();
    WithoutUnderruns(left);
    const Envelope env = Peaks(left);
    long end = 0;
    const double span = 0.8 * kFadeFrames;
    EXPECT_NEAR(FadeSpan(env, 0, false, &end), span, span * 0.04) << "pause";
    EXPECT_NEAR(FadeSpan(env, end, true, &end), span, span * 0.04) << "resume";
    EXPECT_NEAR(FadeSpan(env, end, false, &end), span, span * 0.04) << "stop";
    // Nothing is heard once the stop fade has run out.
    const auto after = static_cast<size_t>(end * kBlock + kFadeFrames * 0.1 + kBlock * 2);
    ASSERT_LE(after, left.size());
    float rest = 0.0f;
    for (size_t i = after; i < left.size(); ++i)
        rest = std::max(rest, std::fabs(left[i]));
    EXPECT_LT(rest, 1e-3f);
}

TEST_F(EngineAudio, SeekFadesInAndLandsOnTheTarget)
{
    // A rising ramp: every sample tells the position it came from.
    const QString file = m_dir.File("ramp.wav");
    constexpr double kSeconds = 20.0;
    auto positionOf = [](float sample) { return (sample - 0.2) * 40.0 * kRate; };
    ASSERT_EQ(QProcess::execute("ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi",
                  "-i", "aevalsrc=0.2+t/40|0.2+t/40:sample_rate=44100:duration=20", "-c:a",
                  "pcm_f32le", file}),
        0);
    ASSERT_TRUE(m_engine->PlayFile(file));
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return m_engine->GetPosition() > 1000; }));
    m_engine->Seek(50000);
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return m_engine->GetChannel() != 0; }, 20000));
    // Never behind the target, however much has been mixed since.
    EXPECT_GE(m_engine->GetPosition(), 49999);
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return !m_target.Of(UWM_PLAYERTRACKEND).empty(); }, 20000));
    EXPECT_FALSE(m_engine->IsPlaying());
    Finish();

    std::vector<float> left = Left();
    WithoutUnderruns(left);
    // The old channel stops at once and the new one starts from silence.
    size_t cut = 1;
    while (cut < left.size() && left[cut] > left[cut - 1] - 0.05f)
        ++cut;
    ASSERT_LT(cut + kRate, left.size());
    const size_t later = cut + kRate; // well after the fade-in
    const double landing = positionOf(left[later]) - kRate;
    EXPECT_NEAR(landing, kSeconds / 2 * kRate, 0.020 * kRate);
    // Linear over 500 ms: half way up after 250 ms.
    const size_t quarter = cut + kRate / 4;
    const double expected = 0.2 + (landing + kRate / 4.0) / 40.0 / kRate;
    EXPECT_NEAR(left[quarter] / expected, 0.5, 0.02);
    EXPECT_NEAR(left[cut + kRate / 2 + 441] / (expected + 0.25 / 40.0), 1.0, 1e-3);
}

TEST_F(EngineAudio, ThreeFilesFollowWithoutSilenceAtTheSeams)
{
    const QString a = Tone("a.flac", 1.0, 440.0);
    const QString b = Tone("b.flac", 1.0, 660.0);
    const QString c = Tone("c.flac", 1.0, 880.0);
    m_target.answers = {b, c, QString()};
    ASSERT_TRUE(m_engine->PlayFile(a));
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return m_target.Of(UWM_PLAYERTRACKEND).size() == 3; }, 20000));
    const auto ends = m_target.Of(UWM_PLAYERTRACKEND);
    for (const auto& e : ends)
        EXPECT_EQ(e.wParam, 0u);
    EXPECT_FALSE(m_engine->IsPlaying());
    Finish();

    std::vector<float> left = Left();
    const auto underruns = WithoutUnderruns(left);
    size_t first = 0;
    while (first < left.size() && left[first] == 0.0f)
        ++first;
    for (const auto& [at, length] : underruns)
        for (const size_t seam : {first + kRate, first + 2 * kRate})
            EXPECT_GT(at > seam ? at - seam : seam - at, 64u) << length << " silent frames at a seam";
    size_t last = left.size();
    while (last > first && std::fabs(left[last - 1]) < 1e-6f)
        --last;
    size_t longestQuiet = 0;
    size_t run = 0;
    for (size_t i = first; i < last; ++i) {
        run = std::fabs(left[i]) < 1e-5f ? run + 1 : 0;
        longestQuiet = std::max(longestQuiet, run);
    }
    EXPECT_LE(longestQuiet, 2u);
    EXPECT_NEAR(static_cast<double>(last - first), 3.0 * kRate, 16.0);
}

// Runs on the layer's event thread right after the engine's own End sync of the same channel,
// that is right after UWM_PLAYERTRACKEND went out: notes how much of the new track has been
// mixed by then, and watches the new track's end in turn.
struct SeamWatch {
    CAudioLib* audio = nullptr;
    CPlayBass* engine = nullptr;
    std::mutex mutex;
    std::vector<std::uint64_t> framesPastSeam;
};

void WatchSeam(HSYNC, HCHANNEL, void* user)
{
    auto* watch = static_cast<SeamWatch*>(user);
    const HCHANNEL now = watch->engine->GetChannel();
    std::lock_guard lock(watch->mutex);
    watch->framesPastSeam.push_back(now != 0 ? watch->audio->ChannelGetPosition(now) / 8 : 0);
    if (now != 0)
        watch->audio->ChannelSetSync(now, SyncType::End, &WatchSeam, watch);
}

// The main window is busy for 300 ms from 100 ms before each track end (a large list being
// filled, a dialog opening) while a real-time device plays: nothing may be lost at the seams.
TEST_F(EngineAudio, ABusyMainWindowCostsTheSeamsNotASample)
{
    UsePacedDevice();
    // One rising ramp cut into three files: every sample tells where it belongs.
    constexpr double kStep = 1.0 / (6.0 * kRate);
    QStringList files;
    std::uint64_t frames = 0;
    for (int k = 0; k < 3; ++k) {
        files << m_dir.File(QString("part%1.wav").arg(k));
        const QString ramp = QString("0.1+(%1+t)/6").arg(1.5 * k);
        ASSERT_EQ(QProcess::execute("ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi",
                      "-i", QString("aevalsrc=%1|%1:sample_rate=44100:duration=1.5").arg(ramp),
                      "-c:a", "pcm_f32le", files.back()}),
            0);
        const HCHANNEL probe = m_audio->StreamCreateFile(files.back(), true);
        frames += m_audio->ChannelGetLength(probe) / 8;
        m_audio->StreamFree(probe);
    }
    m_target.answers = {files[1], files[2], QString()};
    SeamWatch watch;
    watch.audio = m_audio.get();
    watch.engine = m_engine.get();
    ASSERT_TRUE(m_engine->PlayFile(files[0]));
    m_audio->ChannelSetSync(m_engine->GetChannel(), SyncType::End, &WatchSeam, &watch);
    for (const int endMs : {1500, 3000})
        QTimer::singleShot(endMs - 100, [] { QThread::msleep(300); });
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return m_target.Of(UWM_PLAYERTRACKEND).size() == 3; }, 20000));
    for (const auto& e : m_target.Of(UWM_PLAYERTRACKEND))
        EXPECT_EQ(e.wParam, 0u);
    Finish();

    {
        std::lock_guard lock(watch.mutex);
        ASSERT_EQ(watch.framesPastSeam.size(), 3u);
        // Posted once the new track had started, and not held back by the busy main window
        // (which stays busy 200 ms past the seam). How soon after the seam, in device buffers,
        // depends on the scheduler and is measured by the engine benchmark.
        for (size_t k = 0; k < 2; ++k) {
            EXPECT_GT(watch.framesPastSeam[k], 0u) << "seam " << k;
            EXPECT_LT(watch.framesPastSeam[k], 4410u) << "seam " << k;
        }
    }
    const std::vector<float> left = Left();
    size_t first = 0;
    while (first < left.size() && left[first] < 0.05f)
        ++first;
    size_t last = left.size();
    while (last > first && left[last - 1] < 0.05f)
        --last;
    ASSERT_EQ(last - first, frames);
    size_t wrong = 0;
    for (size_t i = first + 1; i < last; ++i)
        wrong += std::fabs(left[i] - left[i - 1] - kStep) > kStep / 4 ? 1 : 0;
    EXPECT_EQ(wrong, 0u) << "samples missing, repeated or silent between the files";
}

TEST_F(EngineAudio, TheSpectrumShowsThePlayingTone)
{
    std::array<float, kFftBins> fft{};
    EXPECT_FALSE(m_engine->GetFftData(fft));
    ASSERT_TRUE(m_engine->PlayFile(Tone("tone.flac", 20.0)));
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return m_engine->GetPosition() > 2000; }));
    ASSERT_TRUE(m_engine->GetFftData(fft));
    const auto peak = std::max_element(fft.begin(), fft.end()) - fft.begin();
    EXPECT_NEAR(static_cast<double>(peak), 1000.0 * 2048 / kRate, 1.0);
}

TEST_F(EngineAudio, TheSavedEqualizerShapesTheNextChannel)
{
    m_engine->SetEqEnabled(true);
    m_engine->SetBandGain(4, -12.0f); // the 1 kHz band
    m_engine->SetPreamp(0.0f);
    Finish(); // saves the state
    ASSERT_TRUE(QFile::exists(m_dir.File("Equalizer/Equalizer.xml")));
    QFile::remove(m_out);
    Start();
    ASSERT_TRUE(m_engine->IsEqEnabled());
    ASSERT_TRUE(m_engine->PlayFile(Tone("tone.flac", 2.0)));
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return !m_target.Of(UWM_PLAYERTRACKEND).empty(); }));
    Finish();
    const Envelope env = Peaks(Left());
    ASSERT_GT(env.size(), 1500u);
    const float steady = *std::max_element(env.begin() + 1000, env.begin() + 1500);
    EXPECT_NEAR(20.0 * std::log10(steady / kAmp), -12.0, 1.0);
}

// Serves an MP3 with ICY metadata to one client, in two parts the test releases.
class IcyServer {
public:
    static constexpr int kMetaInt = 8192;

    explicit IcyServer(const QByteArray& mp3)
    {
        // The second title follows the first audio of the second part.
        const qsizetype chunks = (mp3.size() + kMetaInt - 1) / kMetaInt;
        const qsizetype middle = chunks / 2;
        QByteArray first;
        QByteArray second;
        for (qsizetype n = 0; n < chunks; ++n) {
            QByteArray& part = n < middle ? first : second;
            part += mp3.mid(n * kMetaInt, kMetaInt);
            if ((n + 1) * kMetaInt >= mp3.size())
                break;
            part += Block(n == 0 ? "StreamTitle='One - First';"
                    : n == middle ? "StreamTitle='Two - Second (Live)';" : "");
        }
        m_parts = {first, second};
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] { Accept(); });
    }
    QString Address() const { return QString("http://127.0.0.1:%1/live").arg(m_server.serverPort()); }
    bool Connected() const { return m_client != nullptr; }
    void SendPart(int index)
    {
        if (index == 0)
            m_client->write("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-metaint: "
                + QByteArray::number(kMetaInt) + "\r\n\r\n");
        m_client->write(m_parts[index]);
    }
    void Close() { m_client->disconnectFromHost(); }

private:
    static QByteArray Block(QByteArray text)
    {
        const auto units = static_cast<char>((text.size() + 15) / 16);
        text.resize(units * 16, '\0');
        return QByteArray(1, units) + text;
    }
    void Accept()
    {
        m_client = m_server.nextPendingConnection();
    }

    QTcpServer m_server;
    QTcpSocket* m_client = nullptr;
    std::vector<QByteArray> m_parts;
};

TEST_F(EngineAudio, ALoopbackStreamConnectsFollowsItsTitlesAndEndsWithTheServer)
{
    const QString mp3 = m_dir.File("stream.mp3");
    fixture::Tone tone;
    tone.seconds = 6.0;
    ASSERT_TRUE(fixture::MakeTone(mp3, tone));
    QFile file(mp3);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    IcyServer server(file.readAll());

    QString title;
    QString artist;
    QString album;
    m_target.onNext = nullptr;
    m_engine->OpenURL(server.Address());
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return server.Connected(); }));
    server.SendPart(0);
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return !m_target.Of(UWM_PLAYERCONNECT).empty(); }));
    EXPECT_EQ(m_target.Of(UWM_PLAYERCONNECT)[0].wParam, 0u);
    EXPECT_TRUE(m_engine->IsStream());
    // The first title may arrive with the connection itself; the main window reads it then.
    ASSERT_TRUE(EngineTarget::PumpUntil([&] {
        m_engine->ReadStreamTitle(title, artist, album);
        return title == "First";
    }));
    EXPECT_EQ(artist, "One");
    const size_t metaBefore = m_target.Of(UWM_PLAYERMETA).size();

    server.SendPart(1);
    ASSERT_TRUE(EngineTarget::PumpUntil([&] {
        title.clear();
        m_engine->ReadStreamTitle(title, artist, album);
        return title == "Second";
    }));
    EXPECT_EQ(artist, "Two");
    EXPECT_EQ(album, "Live");
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return m_target.Of(UWM_PLAYERMETA).size() > metaBefore; }));

    server.Close();
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return !m_target.Of(UWM_PLAYERTRACKEND).empty(); }, 20000));
    EXPECT_FALSE(m_engine->IsPlaying());
    EXPECT_FALSE(m_engine->IsStream());
    EXPECT_EQ(m_engine->GetChannel(), 0u);
    EXPECT_EQ(m_target.nextRequests, 0);
}

TEST_F(EngineAudio, UnreachableAndMistypedAddressesReportNetworkFailures)
{
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const quint16 port = closed.serverPort();
    closed.close();
    m_engine->OpenURL(QString("http://127.0.0.1:%1/").arg(port));
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return m_target.Of(UWM_PLAYERCONNECT).size() == 1; }, 20000));
    m_engine->OpenURL("http://");
    ASSERT_TRUE(EngineTarget::PumpUntil([&] { return m_target.Of(UWM_PLAYERCONNECT).size() == 2; }, 20000));
    for (const auto& c : m_target.Of(UWM_PLAYERCONNECT))
        EXPECT_EQ(c.wParam, 2u);
    EXPECT_FALSE(m_engine->IsPlaying());
    EXPECT_EQ(m_engine->GetChannel(), 0u);
}

} // namespace

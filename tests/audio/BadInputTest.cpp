// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioFixture.h"
#include "AudioTestUtil.h"
#include "CAudioLib.h"
#include "TestProfile.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace audiotest;

namespace {

class BadInputTest : public testing::Test {
protected:
    QByteArray ToneBytes(const QString& type)
    {
        const QString path = m_profile.File("source." + type);
        EXPECT_TRUE(fixture::MakeTone(path, fixture::Tone{2.0, 1000.0, 0.5, 2, 44100}));
        return m_profile.Read("source." + type);
    }

    TestProfile m_profile;
    CAudioLib m_lib;
};

} // namespace

TEST_F(BadInputTest, FilesThatAreNotAudioAreRefusedWithTheirReason)
{
    QByteArray noise(64 * 1024, '\0');
    QRandomGenerator rng(7);
    for (char& c : noise)
        c = static_cast<char>(rng.bounded(256));
    struct Case {
        QString path;
        AudioError expected;
    };
    const Case cases[] = {
        {m_profile.Write("empty.mp3", {}), AudioError::FileForm},
        {m_profile.Write("noise.mp3", noise), AudioError::FileForm},
        {m_profile.Write("text.flac", "not audio at all\n"), AudioError::FileForm},
        {m_profile.File("absent.ogg"), AudioError::FileOpen},
        {m_profile.Path(), AudioError::FileOpen},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_lib.StreamCreateFile(c.path, true), 0u) << c.path.toStdString();
        EXPECT_EQ(m_lib.ErrorGetCode(), c.expected) << c.path.toStdString();
        EXPECT_FALSE(IsNetworkError(m_lib.ErrorGetCode()));
    }
}

TEST_F(BadInputTest, TheTypeIsRecognisedByContentNotByName)
{
    const QString path = m_profile.Write("really-an-mp3.flac", ToneBytes("mp3"));
    const HCHANNEL h = m_lib.StreamCreateFile(path, true);
    ASSERT_NE(h, 0u) << static_cast<int>(m_lib.ErrorGetCode());
    const std::vector<float> all = DecodeAll(m_lib, h);
    EXPECT_NEAR(static_cast<double>(all.size()) / 2 / 44100, 2.0, 0.06);
    EXPECT_NEAR(ZeroCrossingFrequency(Frames(all, 4410, 44100), 0), 1000.0, 2.0);
}

TEST_F(BadInputTest, TruncatedFilesPlayWhatTheyHoldAndEnd)
{
    UseDiskOutput(m_profile.File("out.raw"));
    ASSERT_TRUE(m_lib.Init(44100));
    for (const QString type : {"mp3", "flac", "m4a", "ogg"}) {
        const QByteArray whole = ToneBytes(type);
        const QString path = m_profile.Write("cut." + type, whole.left(whole.size() / 2));
        const HCHANNEL h = m_lib.StreamCreateFile(path);
        if (h == 0) {
            // An mp4 cut in half may have lost its index; refusing it is fine, crashing is not.
            EXPECT_EQ(m_lib.ErrorGetCode(), AudioError::FileForm) << type.toStdString();
            continue;
        }
        std::atomic<int> ends{0};
        m_lib.ChannelSetSync(h, SyncType::End, &CountSync, &ends);
        ASSERT_TRUE(m_lib.ChannelPlay(h));
        ASSERT_TRUE(WaitFor([&] { return ends.load() == 1; })) << type.toStdString();
        const double heard = m_lib.ChannelBytes2Seconds(h, m_lib.ChannelGetPosition(h));
        EXPECT_GT(heard, 0.5) << type.toStdString();
        EXPECT_LT(heard, 1.5) << type.toStdString();
        EXPECT_TRUE(m_lib.StreamFree(h));
    }
}

TEST_F(BadInputTest, SeeksBeyondTheEndAreRefusedAndTheEndIsReachable)
{
    const QString path = m_profile.Write("tone.flac", ToneBytes("flac"));
    const HCHANNEL h = m_lib.StreamCreateFile(path, true);
    ASSERT_NE(h, 0u);
    const std::uint64_t length = m_lib.ChannelGetLength(h);
    EXPECT_FALSE(m_lib.ChannelSetPosition(h, length + 8 * 44100));
    EXPECT_EQ(m_lib.ErrorGetCode(), AudioError::Position);
    ASSERT_TRUE(m_lib.ChannelSetPosition(h, length / 2));
    EXPECT_EQ(m_lib.ChannelGetPosition(h), length / 2 / 8 * 8);
    const std::vector<float> rest = DecodeAll(m_lib, h);
    EXPECT_NEAR(static_cast<double>(rest.size()) * 4, static_cast<double>(length / 2), 8.0 * 64);
    // After a seek the samples continue the sine at the new position.
    EXPECT_NEAR(ToneAmplitude(Frames(rest, 0, 4410), 0, 1000.0), 0.5, 0.01);
    // A seek to the very end leaves nothing to decode, and the End sync follows.
    std::atomic<int> ends{0};
    m_lib.ChannelSetSync(h, SyncType::End, &CountSync, &ends);
    ASSERT_TRUE(m_lib.ChannelSetPosition(h, length));
    EXPECT_TRUE(DecodeAll(m_lib, h).empty());
    EXPECT_EQ(m_lib.ChannelGetPosition(h), length);
    EXPECT_EQ(ends.load(), 1);
}

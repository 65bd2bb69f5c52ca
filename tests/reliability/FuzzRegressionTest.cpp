// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Inputs found by fuzzing (fuzz/run), kept here as the smallest files that show each fault.
#include "CFfmpegDecoder.h"
#include "CTagReader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray Le32(quint32 v)
{
    QByteArray out;
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((v >> shift) & 0xff);
    return out;
}

// A CRYO APC file (IMA ADPCM) whose header declares sampleRate; content is recognised by its
// first bytes, whatever the name.
QByteArray ApcFile(quint32 sampleRate)
{
    return "CRYO_APC" + QByteArray("1.20") + Le32(44100) + Le32(sampleRate) + QByteArray(8, '\0')
        + Le32(1) + QByteArray(4096, '\x55');
}

// Found as a file named .mp3 that declared 1,230,270,720 Hz: the resampler set up for it took
// seconds and half a gigabyte before a sample came out. Such a rate is no audio.
TEST(FuzzRegression, AnAbsurdSampleRateIsRefusedAtOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("rate.mp3");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ApcFile(1230270720u));
    file.close();
    QElapsedTimer timer;
    timer.start();
    CFfmpegDecoder decoder;
    AudioError error = AudioError::Ok;
    try {
        decoder.OpenFile(path);
    } catch (const FfmpegError& e) {
        error = e.Code();
    }
    EXPECT_EQ(error, AudioError::FileForm);
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST(FuzzRegression, AnApcFileAtAFairRateStillPlays)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("fair.apc");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ApcFile(22050));
    file.close();
    CFfmpegDecoder decoder;
    ASSERT_NO_THROW(decoder.OpenFile(path));
    EXPECT_EQ(decoder.SourceRate(), 22050);
    std::vector<float> samples;
    EXPECT_TRUE(decoder.Decode(samples));
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Inputs found by fuzzing (fuzz/run), kept here as the smallest files that show each fault.
#include "AudioFixture.h"
#include "CFfmpegDecoder.h"
#include "CTagReader.h"
#include "TagAsfCheck.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

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

// The process's peak resident memory so far.
long PeakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Found as a file named .mp3 that declared 1,230,270,720 Hz: the resampler set up for it took
// seconds and half a gigabyte before a sample came out. Found later: a rate of a few hertz,
// where each input sample became thousands and the first frame 1.4 GB. Such rates are no audio.
TEST(FuzzRegression, AnAbsurdSampleRateIsRefusedAtOnce)
{
    QTemporaryDir dir;
    for (const quint32 rate : {1230270720u, 1u, 999u}) {
        const QString path = dir.filePath(QStringLiteral("rate%1.mp3").arg(rate));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ApcFile(rate));
        file.close();
        const long peakBefore = PeakMemoryKb();
        CFfmpegDecoder decoder;
        AudioError error = AudioError::Ok;
        try {
            decoder.OpenFile(path);
        } catch (const FfmpegError& e) {
            error = e.Code();
        }
        EXPECT_EQ(error, AudioError::FileForm) << rate;
        // Refused before a resampler was set up for it: nothing near the old half gigabyte.
        EXPECT_FALSE(decoder.Resamples()) << rate;
        EXPECT_LT(PeakMemoryKb() - peakBefore, 64 * 1024) << rate;
    }
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

QByteArray Le(quint64 v, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xff);
    return out;
}

QByteArray Guid(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (int b : bytes)
        out += static_cast<char>(b);
    return out;
}

const QByteArray kAsfHeader = Guid({ 0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9,
    0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C });
const QByteArray kAsfExtendedContent = Guid({ 0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11, 0x97,
    0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50 });
const QByteArray kAsfHeaderExtension = Guid({ 0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11, 0x8E,
    0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65 });
const QByteArray kAsfMetadataLibrary = Guid({ 0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49, 0xA1,
    0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54 });

// An object counting `count` attributes, with `payload` bytes after the count.
QByteArray AsfCounting(const QByteArray& guid, int count, int payload)
{
    return guid + Le(16 + 8 + 2 + static_cast<quint64>(payload), 8)
        + Le(static_cast<quint64>(count), 2) + QByteArray(payload, '\0');
}

QByteArray AsfFile(const QByteArray& objects, int objectCount)
{
    return kAsfHeader + Le(30 + static_cast<quint64>(objects.size()), 8)
        + Le(static_cast<quint64>(objectCount), 4) + QByteArray("\x01\x02", 2) + objects;
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

// Found as an 806-byte .wma whose header declared 65,535 attributes in an object with room for
// none: TagLib reads them all past the end of the file (a second here, nine under the
// sanitizers), and more such objects in a larger file would keep a library update busy for
// hours. Counts that cannot fit are refused before TagLib reads the file.
TEST(FuzzRegression, AsfAttributeCountsMustFitTheirObjects)
{
    QTemporaryDir dir;
    const auto fits = [&](const QString& name, const QByteArray& bytes) {
        return AsfAttributeCountsFit(QFile::encodeName(WriteFile(dir, name, bytes)).constData());
    };
    EXPECT_FALSE(fits("top.wma", AsfFile(AsfCounting(kAsfExtendedContent, 65535, 0), 1)));
    EXPECT_TRUE(fits("room.wma", AsfFile(AsfCounting(kAsfExtendedContent, 2, 12), 1)));
    EXPECT_FALSE(fits("tight.wma", AsfFile(AsfCounting(kAsfExtendedContent, 3, 12), 1)));
    // Inside the header extension, where the metadata library object lives.
    const QByteArray library = AsfCounting(kAsfMetadataLibrary, 65535, 12);
    const QByteArray extension = kAsfHeaderExtension
        + Le(46 + static_cast<quint64>(library.size()), 8) + QByteArray(18, '\0')
        + Le(static_cast<quint64>(library.size()), 4) + library;
    EXPECT_FALSE(fits("extension.wma", AsfFile(extension, 1)));
    // An object cut short by the end of the file is judged by what is there.
    QByteArray cut = AsfFile(AsfCounting(kAsfExtendedContent, 1000, 6000), 1);
    cut.chop(5990);
    EXPECT_FALSE(fits("cut.wma", cut));
    // Found next: TagLib reads a content description by its fields, not its declared size, and
    // takes what follows the fields as the next object, here a counting object the declared
    // sizes hide.
    const QByteArray hidden = AsfCounting(kAsfExtendedContent, 65535, 0);
    const QByteArray description = Guid({ 0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6,
                                       0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C })
        + Le(24 + 10 + static_cast<quint64>(hidden.size()), 8) + QByteArray(10, '\0') + hidden;
    EXPECT_FALSE(fits("hidden.wma", AsfFile(description, 1)));
    EXPECT_TRUE(fits("other.mp3", QByteArray(4096, '\x55')));

    TrackRecord record;
    EXPECT_FALSE(CTagReader::ReadTags(
        WriteFile(dir, "refused.wma", AsfFile(AsfCounting(kAsfExtendedContent, 65535, 0), 1)),
        record));

    // A real file, tagged by TagLib, is still read.
    const QString tagged = dir.filePath("tagged.wma");
    ASSERT_TRUE(fixture::MakeTone(tagged, { .seconds = 0.5 }));
    ASSERT_TRUE(fixture::WriteTags(tagged, { { "TITLE", "Kept" }, { "ARTIST", "Somebody" } }));
    EXPECT_TRUE(AsfAttributeCountsFit(QFile::encodeName(tagged).constData()));
    ASSERT_TRUE(CTagReader::ReadTags(tagged, record));
    EXPECT_EQ(record.title, "Kept");
}

} // namespace

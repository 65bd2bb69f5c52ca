// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "AudioFixture.h"
#include "CDlgProperties.h"
#include "CDlgRename.h"
#include "CTagReader.h"
#include "TestProfile.h"
#include "library/CDBase.h"
#include "library/CPlaylistStore.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QStringList kProperties{"Props", "Close", "OK", "Title:", "Artist:", "Album:", "Number:",
                              "Year:", "Genre:", "File:", "Quality:"};

QString Box(const QDialog& dlg, int id)
{
    const auto* box = dlg.findChild<QLineEdit*>(QString::number(id));
    EXPECT_NE(box, nullptr) << id;
    return box != nullptr ? box->text() : QString();
}

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db.SetFolder(profile.Path());
        db.OpenLibrary();
    }
    TestProfile profile;
    CDBase db;
};

TEST_F(DialogsTest, PropertiesShowATaggedLibraryTrack)
{
    const QString file = profile.Path() + QStringLiteral("/song.mp3");
    ASSERT_TRUE(fixture::MakeTone(file, {.seconds = 1.0}));
    ASSERT_TRUE(fixture::WriteTags(file, {{"TITLE", "Tïtle"}, {"ARTIST", "Artist"},
                                          {"ALBUM", "Album"}, {"TRACKNUMBER", "7"},
                                          {"DATE", "1999"}, {"GENRE", "Jazz"}}));
    TrackRecord record;
    ASSERT_TRUE(CTagReader::ReadTags(file, record));
    ASSERT_TRUE(db.InsertLibraryRow(file.toStdString(), "2026-01-01 00:00:00", record));
    CDlgProperties dlg(kProperties, &db, 1, 0, QStringLiteral("fallback"));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Props"));
    EXPECT_EQ(Box(dlg, CDlgProperties::kIdTitle), QStringLiteral("Tïtle"));
    EXPECT_EQ(Box(dlg, CDlgProperties::kIdArtist), QStringLiteral("Artist"));
    EXPECT_EQ(Box(dlg, CDlgProperties::kIdAlbum), QStringLiteral("Album"));
    EXPECT_EQ(Box(dlg, CDlgProperties::kIdNumber), QStringLiteral("7"));
    EXPECT_EQ(Box(dlg, CDlgProperties::kIdYear), QStringLiteral("1999"));
    EXPECT_EQ(Box(dlg, CDlgProperties::kIdGenre), QStringLiteral("Jazz"));
    EXPECT_EQ(Box(dlg, CDlgProperties::kIdFile), file);
    EXPECT_EQ(Box(dlg, CDlgProperties::kIdQuality),
              QStringLiteral("%1 kbps, 44100 hz, Stereo").arg(record.bitrate));
    const auto* ok = dlg.findChild<QPushButton*>(QStringLiteral("1"));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isHidden());
    EXPECT_EQ(dlg.findChild<QPushButton*>(QStringLiteral("2"))->text(), QStringLiteral("Close"));
}

TEST_F(DialogsTest, PropertiesOfMissingRowsAndWithoutADatabase)
{
    CDlgProperties gone(kProperties, &db, 42, 0, QStringLiteral("fallback"));
    for (const int id : {CDlgProperties::kIdTitle, CDlgProperties::kIdFile,
                         CDlgProperties::kIdQuality}) {
        EXPECT_TRUE(Box(gone, id).isEmpty()) << id;
    }
    CDlgProperties none(kProperties, nullptr, 0, 0, QStringLiteral("Radio One"));
    EXPECT_EQ(Box(none, CDlgProperties::kIdTitle), QStringLiteral("Radio One"));
    EXPECT_TRUE(Box(none, CDlgProperties::kIdArtist).isEmpty());
    // A stream entry has no quality values: only the fixed pieces remain.
    EXPECT_EQ(CDlgProperties::QualityText({}, {}, {}), QStringLiteral(" kbps,  hz,  ch"));
    EXPECT_EQ(CDlgProperties::QualityText("128", "22050", "1"),
              QStringLiteral("128 kbps, 22050 hz, Mono"));
    EXPECT_EQ(CDlgProperties::QualityText("128", "48000", "6"),
              QStringLiteral("128 kbps, 48000 hz, 6 ch"));
}

TEST_F(DialogsTest, RenameCutsLongNamesAndTheRegistryKeepsThem)
{
    CPlaylistStore store(db);
    ASSERT_TRUE(store.CreatePlaylist(QStringLiteral("Old"), nullptr).has_value());
    const QStringList lines{"Rename", "Cancel", "OK", "Name:"};
    CDlgRename dlg(lines, store.Entries().at(0).name);
    auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("1035"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("Old"));
    edit->setText(QString(150, QLatin1Char('n')));
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    ASSERT_EQ(dlg.Name().size(), 100);
    ASSERT_TRUE(store.RenamePlaylist(0, dlg.Name()));
    CPlaylistStore reread(db);
    ASSERT_TRUE(reread.LoadRegistry(nullptr));
    EXPECT_EQ(reread.Entries().at(0).name, QString(100, QLatin1Char('n')));

    CDlgRename cancelled(lines, QStringLiteral("Keep"));
    cancelled.findChild<QLineEdit*>(QStringLiteral("1035"))->setText(QString());
    QTest::mouseClick(cancelled.findChild<QPushButton*>(QStringLiteral("2")), Qt::LeftButton);
    EXPECT_EQ(cancelled.Name(), QStringLiteral("Keep"));
    CDlgRename empty(lines, QStringLiteral("Gone"));
    empty.findChild<QLineEdit*>(QStringLiteral("1035"))->setText(QString());
    empty.accept();
    EXPECT_TRUE(empty.Name().isEmpty());
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CFileDialogEx.h"
#include "QtPrinters.h"
#include "TestProfile.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(FileDialogEx, FilterTextsInBothForms)
{
    CFileDialogEx audio;
    audio.SetFilters(CFileDialogEx::AudioFilters());
    EXPECT_EQ(audio.FilterString(),
              QStringLiteral("All Audio Files|*.mp3;*.ogg;*.wma;*.flac;*.ape;*.aac;*.mp4;*.m4a;"
                             "*.opus;*.wav;*.aiff;*.aif;*.wv;*.mpc|"
                             "MPEG Audio (*.mp3)|*.mp3|OGG Vorbis (*.ogg)|*.ogg|"
                             "Windows Media Audio (*.wma)|*.wma|"
                             "Free Lossless Audio Codec (*.flac)|*.flac|"
                             "Monkey's Audio (*.ape)|*.ape|"
                             "Apple Audio (*.aac; *.mp4; *.m4a)|*.aac;*.mp4;*.m4a|"
                             "Opus (*.opus)|*.opus|Waveform Audio (*.wav)|*.wav|"
                             "Audio Interchange File Format (*.aiff; *.aif)|*.aiff;*.aif|"
                             "WavPack (*.wv)|*.wv|Musepack (*.mpc)|*.mpc||"));
    EXPECT_EQ(audio.NameFilters().constFirst(),
              QStringLiteral("All Audio Files (*.mp3 *.ogg *.wma *.flac *.ape *.aac *.mp4 *.m4a "
                             "*.opus *.wav *.aiff *.aif *.wv *.mpc)"));
    EXPECT_EQ(audio.NameFilters().at(6), QStringLiteral("Apple Audio (*.aac *.mp4 *.m4a)"));
    EXPECT_EQ(audio.NameFilters().at(9),
              QStringLiteral("Audio Interchange File Format (*.aiff *.aif)"));

    CFileDialogEx lists;
    lists.SetFilters(CFileDialogEx::PlaylistFilters());
    EXPECT_EQ(lists.NameFilters(),
              QStringList({"All Playlists (*.m3u *.m3u8 *.pls *.asx *.xspf)",
                           "M3U Playlist (*.m3u *.m3u8)", "PLS Playlist (*.pls)",
                           "Advanced Stream Redirector (*.asx)",
                           "XML Shareable Playlist Format (*.xspf)"}));
}

// Answers the next modal file dialog by choosing path (or cancelling when empty).
void AnswerNextDialog(const QString& path)
{
    QTimer::singleShot(0, [path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (path.isEmpty()) {
            static_cast<QDialog*>(dialog)->reject();
            return;
        }
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
}

TEST(FileDialogEx, PicksAFileThroughTheFiltersAndAFolder)
{
    TestProfile profile;
    const QString song = profile.Write(QStringLiteral("a/song.flac"), "x");
    CFileDialogEx picker;
    picker.SetTitle(QStringLiteral("Add"));
    picker.SetFilters(CFileDialogEx::AudioFilters());
    AnswerNextDialog(song);
    ASSERT_TRUE(picker.PickFile(nullptr));
    EXPECT_EQ(picker.GetPath(), song);

    AnswerNextDialog(QString());
    EXPECT_FALSE(picker.PickFile(nullptr));

    CFileDialogEx folder;
    AnswerNextDialog(profile.File(QStringLiteral("a")));
    ASSERT_TRUE(folder.PickFolder(nullptr, QStringLiteral("Folder")));
    EXPECT_EQ(folder.GetPath(), profile.File(QStringLiteral("a")));
}

} // namespace

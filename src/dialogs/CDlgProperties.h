// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QDialog>
#include <QStringList>

class CDBase;

// The track properties dialog (template 120): the stored title, number, year, artist, album,
// genre, file and quality of one list row, read-only. Close (and Esc) end it; OK is present
// but hidden. UI thread only. Each control's object name is its template id in decimal.
class CDlgProperties : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 120;
    static constexpr int kIdOk = 1;
    static constexpr int kIdClose = 2;
    static constexpr int kIdFileLabel = 1019;
    static constexpr int kIdTitle = 1020;
    static constexpr int kIdArtist = 1021;
    static constexpr int kIdAlbum = 1022;
    static constexpr int kIdGenre = 1023;
    static constexpr int kIdYear = 1024;
    static constexpr int kIdNumber = 1025;
    static constexpr int kIdFile = 1026;
    static constexpr int kIdQuality = 1027;
    static constexpr int kIdTitleLabel = 1028;
    static constexpr int kIdNumberLabel = 1029;
    static constexpr int kIdYearLabel = 1030;
    static constexpr int kIdArtistLabel = 1031;
    static constexpr int kIdAlbumLabel = 1032;
    static constexpr int kIdGenreLabel = 1033;
    static constexpr int kIdQualityLabel = 1034;

    // lines: the language's "PropertiesDialog" section. With db, the row is looked up by its
    // library id (when not 0) or its playlist row id in the viewed playlist; without, only the
    // title shows fallback.
    CDlgProperties(const QStringList& lines, CDBase* db, int libraryId, int playlistId,
                   const QString& fallback, QWidget* parent = nullptr);

    // "320 kbps, 44100 hz, Stereo" from the stored bitrate, sample rate and channel count.
    static QString QualityText(const QString& bitrate, const QString& sample,
                               const QString& channels);
};

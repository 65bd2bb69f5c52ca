// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "LibraryFixture.h"

#include <unicode/uloc.h>

void LibraryFixture::SetUp()
{
    // Collation follows the process locale; pin it so results do not depend on the machine.
    UErrorCode status = U_ZERO_ERROR;
    uloc_setDefault("en_US", &status);
    ASSERT_TRUE(U_SUCCESS(status));
    m_db.SetFolder(m_profile.Path());
    m_db.SetLineSource([](LangSection section, int index) {
        if (section == LangSection::Library && index == 3) {
            return QString::fromLatin1(kUnknown);
        }
        if (section == LangSection::Library && index == 2) {
            return QString::fromLatin1(kNewPlaylist);
        }
        if (section == LangSection::Playlist && index == 0) {
            return QString::fromLatin1(kNoArtist);
        }
        return QString();
    });
    m_db.OpenLibrary();
    ASSERT_TRUE(m_db.IsOpen(DbConn::Library));
}

void LibraryFixture::AddTracks(const std::vector<TestTrack>& tracks)
{
    m_db.Begin(DbConn::Library);
    for (const TestTrack& t : tracks) {
        TrackRecord r;
        r.size = 1000;
        r.modified = "2020-01-01 00:00:00";
        r.artist = t.artist;
        r.album = t.album;
        r.title = t.title;
        r.genre = t.genre;
        r.hasYear = t.year.has_value();
        r.year = t.year.value_or(0);
        r.hasNumber = t.number.has_value();
        r.number = t.number.value_or(0);
        r.time = t.time;
        r.type = 1;
        const std::string file = t.file.empty()
            ? "/music/" + std::to_string(++m_nextFile) + ".mp3" : t.file;
        ASSERT_TRUE(m_db.InsertLibraryRow(file, "2021-02-03 04:05:06", r)) << file;
    }
    m_db.Commit(DbConn::Library);
}

QStringList LibraryFixture::Rows(DbConn conn, const char* sql) const
{
    QStringList rows;
    SqliteStmt stmt(m_db.Handle(conn), sql);
    while (stmt.Step()) {
        QStringList cols;
        for (int c = 0; c < sqlite3_column_count(stmt.Get()); ++c) {
            cols << (stmt.IsNull(c) ? QStringLiteral("<null>") : stmt.Text(c));
        }
        rows << cols.join(QLatin1Char('|'));
    }
    return rows;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "ListRowTexts.h"

#include "CDBase.h"
#include "Sqlite.h"

#include <algorithm>

namespace {

void Put(ListTexts& texts, ListSlot slot, const QString& text)
{
    texts[static_cast<std::size_t>(slot)] = text;
}

} // namespace

TrackColumns TrackColumns::Read(const SqliteStmt& stmt)
{
    TrackColumns row;
    row.id = stmt.Int(0);
    row.file = stmt.Text(1);
    row.number = stmt.Text(2);
    row.title = stmt.Text(3);
    row.artist = stmt.Text(4);
    row.album = stmt.Text(5);
    row.year = stmt.Text(6);
    row.genre = stmt.Text(7);
    if (!stmt.IsNull(8)) {
        row.time = CDBase::DurationText(stmt.Int(8));
    }
    row.stars = std::clamp(stmt.Int(9) / 20, 0, 5);
    return row;
}

ListTexts HeadTexts(const TrackColumns& row, const std::vector<int>& kinds,
                    const QString& unknown)
{
    const QString artist = row.artist.isEmpty() ? unknown : row.artist;
    const QString album = row.album.isEmpty() ? unknown : row.album;
    ListTexts texts;
    for (const int kind : kinds) {
        switch (kind) {
        case static_cast<int>(ListSlot::Artist):
            Put(texts, ListSlot::Artist, artist);
            break;
        case static_cast<int>(ListSlot::Album):
            Put(texts, ListSlot::Album, album);
            break;
        case static_cast<int>(ListSlot::Year):
            Put(texts, ListSlot::Year, row.year);
            break;
        case static_cast<int>(ListSlot::Genre):
            Put(texts, ListSlot::Genre, row.genre);
            break;
        case kKindArtistAlbum:
            Put(texts, ListSlot::Artist, artist);
            Put(texts, ListSlot::Album, album);
            break;
        default:
            break;
        }
    }
    return texts;
}

ListTexts SongTexts(const TrackColumns& row, const std::vector<int>& kinds)
{
    const std::array<const QString*, 7> bySlot = {&row.artist, &row.album, &row.title, &row.year,
                                                  &row.number, &row.time,  &row.genre};
    ListTexts texts;
    for (const int kind : kinds) {
        if (kind >= 0 && kind < static_cast<int>(bySlot.size())) {
            texts[static_cast<std::size_t>(kind)] = *bySlot[static_cast<std::size_t>(kind)];
        } else if (kind == kKindArtistTitle) {
            Put(texts, ListSlot::Artist, row.artist);
            Put(texts, ListSlot::Title, row.title);
        }
    }
    return texts;
}

QString PositionText(int index, int count)
{
    const int width = count <= 9 ? 1 : (count <= 99 ? 2 : (count <= 999 ? 3 : 4));
    return QStringLiteral("%1").arg(index + 1, width, 10, QLatin1Char('0'));
}

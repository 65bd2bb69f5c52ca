// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "IListSink.h"
#include "ITreeSink.h"

#include <QStringList>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

// Records tree additions as text: "value label|key", "album label|artist|album",
// "playlist label|file".
class RecordingTree : public ITreeSink {
public:
    void AddValueNode(const QString& label, const QString& key) override
    {
        nodes << QStringLiteral("value %1|%2").arg(label, key);
    }
    void AddAlbumNode(const QString& label, const QString& artist, const QString& album) override
    {
        nodes << QStringLiteral("album %1|%2|%3").arg(label, artist, album);
    }
    void AddPlaylistNode(const QString& label, const QString& file) override
    {
        nodes << QStringLiteral("playlist %1|%2").arg(label, file);
    }

    QStringList nodes;
};

// Records list rows: heads as "H file|t0|..|t7", songs as "S pid,lid,stars,under|file|t0|..|t7".
class RecordingList : public IListSink {
public:
    std::vector<int> HeadKinds() const override { return headKinds; }
    std::vector<int> SongKinds() const override { return songKinds; }
    void Clear() override
    {
        rows.clear();
        songs.clear();
        ++clears;
    }
    void BeginUpdate() override
    {
        EXPECT_FALSE(frozen);
        frozen = true;
    }
    void EndUpdate() override
    {
        EXPECT_TRUE(frozen);
        frozen = false;
        ++recalcs;
    }
    void AddHead(const QString& file, const ListTexts& texts) override
    {
        rows << QStringLiteral("H ") + file + Join(texts);
    }
    void AddSong(int playlistId, bool underHead, const QString& file, int libraryId, int rating,
                 const ListTexts& texts) override
    {
        songs.push_back(static_cast<int>(rows.size()));
        rows << QStringLiteral("S %1,%2,%3,%4|").arg(playlistId).arg(libraryId).arg(rating).arg(
                    underHead ? 1 : 0)
                + file + Join(texts);
    }
    int SongCount() const override { return static_cast<int>(songs.size()); }
    void SetPositionText(int row, const QString& text) override
    {
        QString& line = rows[songs.at(static_cast<std::size_t>(row))];
        line = line.left(line.lastIndexOf(QLatin1Char('|')) + 1) + text;
    }

    // Song rows only, reduced to one slot.
    QStringList Slot(int slot) const
    {
        QStringList out;
        for (const int index : songs) {
            out << rows.at(index).split(QLatin1Char('|')).at(2 + slot);
        }
        return out;
    }
    // Removes the song rows at the given list positions (as the view does for a selection).
    void RemoveSongs(std::vector<int> positions)
    {
        std::sort(positions.rbegin(), positions.rend());
        for (const int p : positions) {
            rows.removeAt(songs.at(static_cast<std::size_t>(p)));
            songs.erase(songs.begin() + p);
            for (std::size_t i = static_cast<std::size_t>(p); i < songs.size(); ++i) {
                --songs[i];
            }
        }
    }

    std::vector<int> headKinds = {0, 1, 3, 6};
    std::vector<int> songKinds = {0, 1, 2, 3, 4, 5, 6, 7};
    QStringList rows;
    std::vector<int> songs; // index in rows of each song
    bool frozen = false;
    int clears = 0;
    int recalcs = 0;

private:
    static QString Join(const ListTexts& texts)
    {
        QString out;
        for (const QString& t : texts) {
            out += QLatin1Char('|') + t;
        }
        return out;
    }
};

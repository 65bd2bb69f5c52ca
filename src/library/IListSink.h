// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>

#include <array>
#include <memory>
#include <vector>

// Text slots of a list row.
enum class ListSlot : int {
    Artist = 0,
    Album = 1,
    Title = 2,
    Year = 3,
    Number = 4,
    Time = 5,
    Genre = 6,
    Index = 7,
};
constexpr int kListSlotCount = 8;
using ListTexts = std::array<QString, kListSlotCount>;

// Element kinds that fill two slots: artist and album of a head, artist and title of a song.
constexpr int kKindArtistAlbum = -100;
constexpr int kKindArtistTitle = -101;

// One row of a library list, in list order: a group head, or a song under the last head.
struct ListRow {
    QString file;
    ListTexts texts;
    int libraryId = 0; // songs: the library id
    int rating = 0; // songs: stars 0..5
    bool head = false;
};

// A fill's rows in the form one sink keeps them, made on the fill's worker so that taking them
// in costs the UI thread little.
class IListBatch {
public:
    virtual ~IListBatch() = default;
    // Adds the rows to the sink whose builder made the batch, as AddRows would. UI thread;
    // that sink must be alive.
    virtual void AddToSink() = 0;
};

// Made by a sink on the UI thread and used on a worker: it keeps copies of what it needs and
// never touches the sink there.
class IListBuilder {
public:
    virtual ~IListBuilder() = default;
    // The rows as the sink will keep them; the files and texts may be moved out of rows.
    virtual std::unique_ptr<IListBatch> Build(std::vector<ListRow>& rows) const = 0;
};

// What the browsing queries and the playlist store add to the list view; the list view
// implements it. UI thread only.
class IListSink {
public:
    virtual ~IListSink() = default;

    // The element kinds of the loaded skin's head and song rows: slot numbers 0..7 and the
    // composed kinds above. Fillers write only these slots and leave the others empty.
    virtual std::vector<int> HeadKinds() const = 0;
    virtual std::vector<int> SongKinds() const = 0;

    // Deletes every row.
    virtual void Clear() = 0;
    // Deletes every row as Clear does, but may hand what is left to free to the caller, who
    // frees it on any thread: freeing a quarter of a million rows keeps a thread busy for tens
    // of milliseconds. Null when nothing is left, or so little that the sink freed it itself.
    virtual std::shared_ptr<void> Detach()
    {
        Clear();
        return nullptr;
    }
    // Stops recalculating the layout per added row, until EndUpdate.
    virtual void BeginUpdate() = 0;
    // Recalculates the layout once and repaints.
    virtual void EndUpdate() = 0;

    // A group head; songs added with underHead set belong to the last head added.
    virtual void AddHead(const QString& file, const ListTexts& texts) = 0;
    // A song row. playlistId is the playlist row id (0 for a library row), libraryId the
    // library id (0 when none), rating 0..5 stars.
    virtual void AddSong(int playlistId, bool underHead, const QString& file, int libraryId,
                         int rating, const ListTexts& texts) = 0;
    // The rows of a library list in order, songs under the head before them (playlist id 0).
    // The texts may be moved out of rows. By default one AddHead or AddSong per row.
    virtual void AddRows(std::vector<ListRow>& rows)
    {
        for (const ListRow& row : rows) {
            if (row.head) {
                AddHead(row.file, row.texts);
            } else {
                AddSong(0, true, row.file, row.libraryId, row.rating, row.texts);
            }
        }
    }

    // For fills read on a worker: a builder whose batches the worker makes from the rows in
    // place of AddRows. Null when the sink takes rows through AddRows only.
    virtual std::shared_ptr<const IListBuilder> Builder() { return nullptr; }

    // Song rows in list order, for position texts.
    virtual int SongCount() const = 0;
    virtual void SetPositionText(int row, const QString& text) = 0;
};

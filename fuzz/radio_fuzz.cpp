// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The radio directory's answer, as the server sends it, through the station reader and into a
// list that checks what it is given.
#include "FuzzSupport.h"
#include "RadioStations.h"

#include "library/IListSink.h"

#include <cstdlib>

namespace {

class CheckingList : public IListSink {
public:
    std::vector<int> HeadKinds() const override { return {}; }
    std::vector<int> SongKinds() const override { return {}; }
    void Clear() override { m_songs = 0; }
    void BeginUpdate() override {}
    void EndUpdate() override {}
    void AddHead(const QString&, const ListTexts&) override { std::abort(); }
    void AddSong(int playlistId, bool underHead, const QString& file, int libraryId, int rating,
                 const ListTexts& texts) override
    {
        const QString& name = texts[static_cast<int>(ListSlot::Title)];
        if (playlistId != 1 || underHead || libraryId != 0 || rating < 1 || rating > 5
            || name.size() > radio::kMaxNameLength || !file.startsWith(QStringLiteral("http://h/")))
            std::abort();
        for (const QChar c : name) {
            if (c.unicode() < 0x20)
                std::abort();
        }
        ++m_songs;
    }
    int SongCount() const override { return m_songs; }
    void SetPositionText(int row, const QString& text) override
    {
        if (row < 0 || row >= m_songs || text.isEmpty())
            std::abort();
    }

private:
    int m_songs = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckingList list;
    radio::ListStations(list, radio::ParseStations(fuzz::Bytes(data, size), QStringLiteral("h")));
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// "Playlist.xml", the registry of user playlists, through the playlist store's loader.
#include "CDBase.h"
#include "CPlaylistStore.h"
#include "FuzzSupport.h"

namespace {

class NullTree : public ITreeSink {
public:
    void AddValueNode(const QString&, const QString&) override {}
    void AddAlbumNode(const QString&, const QString&, const QString&) override {}
    void AddPlaylistNode(const QString& label, const QString& file) override
    {
        m_chars += label.size() + file.size();
    }

private:
    qsizetype m_chars = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static CDBase db;
    static const bool ready = [] {
        db.SetFolder(fuzz::Folder());
        return true;
    }();
    (void)ready;
    fuzz::WriteInput(fuzz::Folder() + QStringLiteral("/Playlist.xml"), data, size);
    CPlaylistStore store(db);
    NullTree tree;
    if (store.LoadRegistry(&tree))
        (void)store.IndexOfFile(QStringLiteral("1.db"));
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CPlaylistStore.h"
#include "LibraryFixture.h"
#include "ListRowTexts.h"
#include "RecordingSinks.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

namespace {

class PlaylistStoreTest : public LibraryFixture {
protected:
    // Creates a playlist, opens it as the viewed one and returns its index.
    int CreateAndView(const char* name)
    {
        const std::optional<int> index = m_store.CreatePlaylist(QString::fromUtf8(name), &m_tree);
        EXPECT_TRUE(index.has_value());
        EXPECT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, File(*index)));
        return *index;
    }
    QString File(int index) const { return m_store.Entries().at(index).file; }
    QStringList Streams(int count)
    {
        for (int i = 1; i <= count; ++i) {
            EXPECT_TRUE(m_store.AppendStream(QStringLiteral("http://radio/%1").arg(i),
                                             QStringLiteral("Radio %1").arg(i), m_list));
        }
        return m_list.Slot(7);
    }

    CPlaylistStore m_store{m_db};
    RecordingTree m_tree;
    RecordingList m_list;
};

TEST_F(PlaylistStoreTest, PlaylistsMadeInOneSecondGetFilesOfTheirOwn)
{
    const std::optional<int> first = m_store.CreatePlaylist(QStringLiteral("One"), &m_tree);
    const std::optional<int> second = m_store.CreatePlaylist(QStringLiteral("Two"), &m_tree);
    ASSERT_TRUE(first && second);
    const QRegularExpression name(QStringLiteral("^[0-9a-f]{8}\\.db$"));
    EXPECT_TRUE(name.match(File(*first)).hasMatch()) << File(*first).toStdString();
    EXPECT_NE(File(*first), File(*second));
    EXPECT_EQ(m_tree.nodes, QStringList({"playlist One|" + File(0), "playlist Two|" + File(1)}));
    EXPECT_EQ(QDir(m_db.PlaylistFolder()).entryList(QDir::Files).size(), 2);

    // An existing file is never taken over, whatever the generator draws.
    EXPECT_EQ(m_profile.Read(QStringLiteral("Playlist.xml")),
              QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Playlist>\n"
                         "    <Play Name=\"One\" File=\"")
                  + File(0).toUtf8() + "\"/>\n    <Play Name=\"Two\" File=\"" + File(1).toUtf8()
                  + "\"/>\n</Playlist>\n");
}

TEST_F(PlaylistStoreTest, RegistryLoadsInOrderAndSkipsNamesOutsideTheFolder)
{
    m_profile.Write(QStringLiteral("Playlist.xml"),
                    "<?xml version=\"1.0\"?><Playlist><Play Name=\"A\" File=\"0000000a.db\"/>"
                    "<Other Name=\"B\" File=\"0000000b.db\"/><Play Name=\"Evil\" "
                    "File=\"../Library.db\"/><Play Name=\"NoFile\"/></Playlist>");
    ASSERT_TRUE(m_store.LoadRegistry(&m_tree));
    EXPECT_EQ(m_tree.nodes, QStringList({"playlist A|0000000a.db", "playlist B|0000000b.db"}));

    // Files named by the registry but missing: opening makes them anew, rows can be added.
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, QStringLiteral("0000000a.db")));
    m_store.FillList(m_list);
    EXPECT_TRUE(m_list.rows.isEmpty());
    EXPECT_EQ(Streams(1), QStringList("1"));

    m_store.SetOrder({QStringLiteral("0000000b.db")});
    CPlaylistStore again(m_db);
    ASSERT_TRUE(again.LoadRegistry(nullptr));
    ASSERT_EQ(again.Entries().size(), 2u);
    EXPECT_EQ(again.Entries()[0].name, QStringLiteral("B"));

    m_profile.Write(QStringLiteral("Playlist.xml"), "<Playlist><Play Name=\"A\"");
    EXPECT_FALSE(again.LoadRegistry(nullptr));
    EXPECT_TRUE(again.Entries().empty());
}

// Names of playlist files come from "Playlist.xml" and "Settings.xml", which may have been
// handed to the user: none of them may make or open a file outside the "Playlist" folder.
TEST_F(PlaylistStoreTest, FileNamesThatLeaveThePlaylistFolderAreRefused)
{
    const auto allFiles = [this] {
        QStringList files;
        QDirIterator it(m_profile.Path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        return files;
    };
    const QString bad[] = {"../escape.db", "../../escape.db", "sub/x.db", "..\\escape.db",
        m_profile.File("absolute.db"), "..", ".", "c:escape.db", QString("a") + QChar(0) + "b.db",
        QString(256, 'a')};
    QDir().mkpath(m_db.PlaylistFolder() + "sub");
    const QStringList before = allFiles();
    QByteArray registry = "<Playlist><Play Name=\"Good\" File=\"0000000a.db\"/>";
    for (const QString& name : bad) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(CDBase::IsPlaylistFileName(name));
        EXPECT_FALSE(m_db.OpenPlaylist(DbConn::Viewed, name));
        EXPECT_FALSE(m_db.OpenPlaylist(DbConn::Target, name));
        EXPECT_FALSE(m_db.IsOpen(DbConn::Viewed));
        bool taken = true;
        EXPECT_FALSE(m_db.MakePlaylistFile(name, &taken));
        EXPECT_FALSE(taken);
        EXPECT_EQ(allFiles(), before) << "no file was made";
        if (!name.contains(QChar(0)))
            registry += "<Play Name=\"Bad\" File=\"" + name.toHtmlEscaped().toUtf8() + "\"/>";
    }
    m_profile.Write(QStringLiteral("Playlist.xml"), registry + "</Playlist>");
    ASSERT_TRUE(m_store.LoadRegistry(&m_tree));
    EXPECT_EQ(m_tree.nodes, QStringList({"playlist Good|0000000a.db"}));
    EXPECT_EQ(m_store.LeftOut().size(), std::size(bad) - 1) << "each one left out is reported";
    EXPECT_TRUE(CDBase::IsPlaylistFileName("0a1b2c3d.db"));
    EXPECT_TRUE(CDBase::IsPlaylistFileName("..db"));
}

TEST_F(PlaylistStoreTest, RenameAndDeleteKeepTheRegistryInStep)
{
    const int shown = CreateAndView("Shown");
    const std::optional<int> other = m_store.CreatePlaylist(QStringLiteral("Other"), nullptr);
    ASSERT_TRUE(other);
    const QString shownFile = File(shown);
    Streams(2);
    ASSERT_TRUE(m_store.RenamePlaylist(*other, QStringLiteral("Renamed")));

    ASSERT_TRUE(m_store.DeletePlaylist(shown, &m_list));
    EXPECT_TRUE(m_list.rows.isEmpty());
    EXPECT_FALSE(m_db.IsOpen(DbConn::Viewed));
    EXPECT_FALSE(QFile::exists(m_db.PlaylistFolder() + shownFile));
    CPlaylistStore reread(m_db);
    ASSERT_TRUE(reread.LoadRegistry(nullptr));
    ASSERT_EQ(reread.Entries().size(), 1u);
    EXPECT_EQ(reread.Entries()[0].name, QStringLiteral("Renamed"));

    // The last playlist goes too, even though its file vanished already; none comes back.
    ASSERT_TRUE(QFile::remove(m_db.PlaylistFolder() + File(0)));
    ASSERT_TRUE(m_store.DeletePlaylist(0, nullptr));
    ASSERT_TRUE(reread.LoadRegistry(nullptr));
    EXPECT_TRUE(reread.Entries().empty());
    EXPECT_FALSE(m_store.DeletePlaylist(0, nullptr));
}

// The list fill may still be reading the playlist when it is deleted; the file goes with the
// log and index SQLite keeps beside it.
TEST_F(PlaylistStoreTest, DeletingAPlaylistWhileItIsReadLeavesNoFileOfItBehind)
{
    const int shown = CreateAndView("Shown");
    Streams(3);
    const QString path = m_db.PlaylistFolder() + File(shown);
    SqliteDb reader;
    ASSERT_TRUE(reader.OpenReadOnly(path));
    ASSERT_TRUE(reader.Exec("BEGIN;"));
    SqliteStmt read(reader.Get(), "SELECT idx FROM playlist;");
    ASSERT_TRUE(read.Step());

    ASSERT_TRUE(m_store.DeletePlaylist(shown, &m_list));
    EXPECT_EQ(QDir(m_db.PlaylistFolder()).entryList(QDir::Files | QDir::Hidden),
              QStringList()) << "left in the playlist folder";
}

// Every change that cannot write "Playlist.xml" (here a folder stands in its place) leaves the
// store saying so until a later write succeeds.
TEST_F(PlaylistStoreTest, AFailedRegistryWriteIsKnownUntilTheNextGoodOne)
{
    const std::optional<int> first = m_store.CreatePlaylist(QStringLiteral("First"), nullptr);
    ASSERT_TRUE(first);
    EXPECT_TRUE(m_store.IsRegistrySaved());
    const QString registry = m_db.GetFolder() + QStringLiteral("Playlist.xml");
    ASSERT_TRUE(QFile::remove(registry));
    ASSERT_TRUE(QDir().mkpath(registry));
    ASSERT_TRUE(m_store.CreatePlaylist(QStringLiteral("Second"), nullptr));
    EXPECT_FALSE(m_store.IsRegistrySaved());
    EXPECT_FALSE(m_store.RenamePlaylist(*first, QStringLiteral("Renamed")));
    EXPECT_FALSE(m_store.IsRegistrySaved());
    m_store.SetOrder({File(1), File(0)});
    EXPECT_FALSE(m_store.IsRegistrySaved());
    ASSERT_TRUE(QDir(registry).removeRecursively());
    ASSERT_TRUE(m_store.DeletePlaylist(1, nullptr));
    EXPECT_TRUE(m_store.IsRegistrySaved());
}

TEST_F(PlaylistStoreTest, PositionTextsWidenWithTheRowCount)
{
    CreateAndView("Radio");
    EXPECT_EQ(Streams(9), QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(Streams(1), QStringList({"01", "02", "03", "04", "05", "06", "07", "08", "09",
                                       "10"}));
    EXPECT_EQ(m_list.rows.last(), QStringLiteral("S 10,0,0,0|http://radio/1|||Radio 1|||||10"))
        << "appended stream row: playlist id, no library id, no head";
    EXPECT_EQ(Rows(DbConn::Viewed, "SELECT idx,file,title,type,count,skip FROM playlist "
                                   "WHERE id=10;"),
              QStringList("10|http://radio/1|Radio 1|100|0|0"));
    EXPECT_EQ(PositionText(0, 100), QStringLiteral("001"));
    EXPECT_EQ(PositionText(41, 1000), QStringLiteral("0042"));
}

TEST_F(PlaylistStoreTest, CopiesLibraryRowsWholeAndPlaylistRowsAsFileAndTitle)
{
    AddTracks({{"A", "X", "One", 2001, "Pop", 1, 61, "/m/1.mp3"},
               {"", "", "Two", std::nullopt, "", std::nullopt, 62, "/m/2.mp3"}});
    m_db.SetRating(1, 0, 4);
    const int source = CreateAndView("Source");
    const std::optional<int> target = m_store.CreatePlaylist(QStringLiteral("Target"), nullptr);
    ASSERT_TRUE(target);
    Streams(1);

    ASSERT_TRUE(m_store.CopyToPlaylist(*target, true, {{2, {}, {}}, {1, {}, {}}, {99, {}, {}}}));
    ASSERT_TRUE(m_store.CopyToPlaylist(
        *target, false, {{0, QStringLiteral("http://radio/1"), QStringLiteral("Radio 1")}}));
    EXPECT_FALSE(m_db.IsOpen(DbConn::Target));

    m_db.CloseViewedPlaylist(false);
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, File(*target)));
    EXPECT_EQ(Rows(DbConn::Viewed,
                   "SELECT idlib,idx,file,title,artist,number,typeof(number),year,typeof(year),"
                   "time,typeof(time),type,rating,count,skip,added FROM playlist ORDER BY idx;"),
              QStringList({"2|1|/m/2.mp3|Two|<null>|<null>|null|<null>|null|62|integer|1|<null>|"
                           "0|0|2021-02-03 04:05:06",
                           "1|2|/m/1.mp3|One|A|1|integer|2001|integer|61|integer|1|80|0|0|"
                           "2021-02-03 04:05:06",
                           "<null>|3|http://radio/1|Radio 1|<null>|<null>|null|<null>|null|<null>|"
                           "null|1000|<null>|0|0|<null>"}));
    EXPECT_EQ(source, 0);
}

TEST_F(PlaylistStoreTest, DeleteLeavesGapsReorderRewritesIdx)
{
    CreateAndView("Edit");
    Streams(4);
    ASSERT_TRUE(m_store.DeleteRows({2, 3}));
    m_list.RemoveSongs({1, 2});
    m_store.Renumber(m_list);
    EXPECT_EQ(m_list.Slot(7), QStringList({"1", "2"}));
    EXPECT_EQ(Rows(DbConn::Viewed, "SELECT id,idx FROM playlist ORDER BY idx;"),
              QStringList({"1|1", "4|4"}));

    ASSERT_TRUE(m_store.Reorder({4, 1}, m_list));
    EXPECT_EQ(Rows(DbConn::Viewed, "SELECT id,idx FROM playlist ORDER BY idx;"),
              QStringList({"4|1", "1|2"}));
    m_store.FillList(m_list);
    EXPECT_EQ(m_list.Slot(2), QStringList({"Radio 4", "Radio 1"}));
    EXPECT_EQ(m_list.clears, 1);
}

// A statement refused part-way (a trigger stops the change of row 3) leaves the file exactly
// as it was, the position texts untouched, and no transaction open behind later changes.
TEST_F(PlaylistStoreTest, DeleteAndReorderAreAllOrNothing)
{
    struct Case {
        const char* trigger;
        bool (*run)(CPlaylistStore& store, RecordingList& list);
    };
    const Case cases[] = {
        {"CREATE TRIGGER refuse BEFORE DELETE ON playlist WHEN old.id=3 "
         "BEGIN SELECT RAISE(ABORT,'refused'); END;",
         [](CPlaylistStore& store, RecordingList&) { return store.DeleteRows({1, 2, 3, 4}); }},
        {"CREATE TRIGGER refuse BEFORE UPDATE OF idx ON playlist WHEN old.id=3 "
         "BEGIN SELECT RAISE(ABORT,'refused'); END;",
         [](CPlaylistStore& store, RecordingList& list) {
             return store.Reorder({4, 2, 3, 1}, list);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trigger);
        const int shown = CreateAndView("Guarded");
        Streams(4);
        SqliteStmt(m_db.Handle(DbConn::Viewed), c.trigger).Run();
        const int recalcs = m_list.recalcs;
        EXPECT_FALSE(c.run(m_store, m_list));
        EXPECT_EQ(m_list.recalcs, recalcs);
        EXPECT_TRUE(m_store.AppendStream(QStringLiteral("http://radio/5"),
                                         QStringLiteral("Radio 5"), m_list));
        m_db.CloseViewedPlaylist(false);
        ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, File(shown)));
        EXPECT_EQ(Rows(DbConn::Viewed, "SELECT id,idx FROM playlist ORDER BY idx;"),
                  QStringList({"1|1", "2|2", "3|3", "4|4", "5|5"}));
        m_list.Clear();
    }
}

TEST_F(PlaylistStoreTest, RowsOfRemovedLibraryTracksRateThePlaylistRow)
{
    AddTracks({{"A", "X", "Kept", 2001, "Pop", 1, 61, "/m/1.mp3"},
               {"B", "Y", "Gone", 2002, "Rock", 2, 62, "/m/2.mp3"}});
    m_db.SetRating(1, 0, 5);
    const int target = CreateAndView("Both");
    ASSERT_TRUE(m_store.CopyToPlaylist(target, true, {{1, {}, {}}, {2, {}, {}}}));
    m_db.SetRating(1, 0, 2); // changes the library row only, not the copy
    m_db.MarkAllUnseen();
    ASSERT_TRUE(m_db.MarkSeen(1));
    m_db.DeleteUnseen(); // track 2 leaves the library

    m_list.songKinds = {kKindArtistTitle, 5};
    m_store.FillList(m_list);
    EXPECT_EQ(m_list.rows, QStringList({"S 1,1,2,0|/m/1.mp3|A||Kept|||1:01||1",
                                        "S 2,0,0,0|/m/2.mp3|B||Gone|||1:02||2"}));
    EXPECT_EQ(Rows(DbConn::Viewed, "SELECT rating FROM playlist ORDER BY idx;"),
              QStringList({"100", "<null>"}));
    m_db.SetRating(0, 2, 3);
    m_db.CountPlay(0, 2);
    EXPECT_EQ(Rows(DbConn::Viewed, "SELECT rating,count FROM playlist ORDER BY idx;"),
              QStringList({"100|0", "60|1"}));
}

TEST_F(PlaylistStoreTest, PlaylistFileDeletedWhileShownKeepsItsRows)
{
    const int shown = CreateAndView("Fragile");
    Streams(2);
    ASSERT_TRUE(QFile::remove(m_db.PlaylistFolder() + File(shown)));
    EXPECT_EQ(Streams(1), QStringList({"1", "2", "3"}));
    ASSERT_TRUE(m_store.Reorder({3, 1, 2}, m_list));
    m_db.CloseViewedPlaylist(false);
    ASSERT_TRUE(m_db.OpenPlaylist(DbConn::Viewed, File(shown)));
    EXPECT_EQ(Rows(DbConn::Viewed, "SELECT id,idx,title FROM playlist ORDER BY idx;"),
              QStringList({"3|1|Radio 1", "1|2|Radio 1", "2|3|Radio 2"}));
}

TEST_F(PlaylistStoreTest, ClosedConnectionsAreSkipped)
{
    m_store.FillList(m_list);
    EXPECT_TRUE(m_list.rows.isEmpty());
    EXPECT_EQ(m_list.recalcs, 1);
    EXPECT_FALSE(m_store.AppendStream(QStringLiteral("http://x"), QString(), m_list));
    EXPECT_FALSE(m_store.DeleteRows({1}));
    EXPECT_FALSE(m_store.Reorder({1}, m_list));
    EXPECT_FALSE(m_store.CopyToPlaylist(3, false, {}));
    EXPECT_EQ(m_db.LargestPosition(DbConn::Viewed), 0);
}

} // namespace

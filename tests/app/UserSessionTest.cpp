// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// A user's day with the real window in this process: the first start on a fresh profile with
// its folders dialog answered, the tree, the list, real sound through SDL's disk driver
// (paced like a sound card, so fades are heard as they would be), the switches, a radio
// stream from a loopback server, closing and the next start. Checked where the user's data
// lands: Library.db, the playlist files, Settings.xml and the samples written.
#include "AudioFixture.h"
#include "CDlgLibrary.h"
#include "CDlgOpenURL.h"
#include "IcyServer.h"
#include "OutputLevels.h"
#include "QtPrinters.h"
#include "SessionSupport.h"
#include "PlayerHome.h"
#include "TestProfile.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace session;

namespace {

class UserSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHome(m_home);
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(Output()));
        qunsetenv("SDL_DISKAUDIODELAY");
    }
    void TearDown() override
    {
        if (m_wnd)
            m_wnd->Shutdown();
        m_wnd.reset();
        qputenv("SDL_AUDIODRIVER", "dummy");
    }

    QString Profile() const { return m_home.File("data") + "/Plumo"; }
    QString Music() const { return m_home.File("music"); }
    QString Output() const { return m_home.File("out.raw"); }

    // Tagged tones "Track n" by "Artist" on "Album", long enough to pause and resume in.
    void MakeMusic(int tracks)
    {
        fixture::Tone tone;
        tone.seconds = 8;
        const QString first = Music() + "/1.mp3";
        ASSERT_TRUE(fixture::MakeTone(first, tone));
        for (int i = 1; i <= tracks; ++i) {
            const QString path = Music() + QString("/%1.mp3").arg(i);
            if (i > 1) {
                ASSERT_TRUE(QFile::copy(first, path));
            }
            ASSERT_TRUE(fixture::WriteTags(path,
                { { "TITLE", QString("Track %1").arg(i) }, { "ARTIST", "Artist" },
                    { "ALBUM", "Album" }, { "TRACKNUMBER", QString::number(i) } }));
        }
    }

    CPanelWnd& Start()
    {
        m_wnd = std::make_unique<CPanelWnd>();
        EXPECT_TRUE(session::CreateAndRestore(*m_wnd));
        return *m_wnd;
    }
    // Lists fill and files open off the window's thread: waits until both are done.
    void Settle()
    {
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return !m_wnd->GetListFill().IsRunning() && !m_wnd->GetPlayer().opening; },
            kDeadlineMs));
    }
    const std::vector<CSkinListNode*>& Songs() { return m_wnd->GetList().Rows().Songs(); }
    CSkinListNode* Playing() { return m_wnd->GetList().Rows().Playing(); }

    // One value of Library.db, or of a playlist file when file names one.
    QString Value(const QString& sql, const QString& file = QString()) const
    {
        const QString path
            = file.isEmpty() ? Profile() + "/Library.db" : Profile() + "/Playlist/" + file;
        sqlite3* db = nullptr;
        QString value;
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr)
            == SQLITE_OK) {
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK
                && sqlite3_step(stmt) == SQLITE_ROW)
                value = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
            sqlite3_finalize(stmt);
        }
        sqlite3_close(db);
        return value;
    }

    qint64 OutputSize() const { return levels::Size(Output()); }
    std::vector<double> Levels(qint64 offset) const { return levels::From(Output(), offset); }
    double RecentLevel() const { return levels::Recent(Output()); }

    TestProfile m_home;
    QObject m_answers; // owns the timers that answer dialogs
    std::unique_ptr<CPanelWnd> m_wnd;
};

} // namespace

TEST_F(UserSession, FromTheFirstStartThroughPlayingToTheNextStart)
{
    MakeMusic(3);
    // The first start asks for the music folders; the user adds one and updates.
    QStringList shownInDialog;
    Answer<CDlgLibrary>(m_answers, [&](CDlgLibrary& dlg) {
        dlg.SetFolderPicker([this](QWidget*, const QString&, QString* path) {
            *path = Music();
            return true;
        });
        QTest::mouseClick(
            dlg.findChild<QPushButton*>(QString::number(CDlgLibrary::kIdAdd)), Qt::LeftButton);
        auto* list = dlg.findChild<QTreeWidget*>(QString::number(CDlgLibrary::kIdList));
        for (int i = 0; list && i < list->topLevelItemCount(); ++i)
            shownInDialog << list->topLevelItem(i)->text(0);
        QTest::mouseClick(
            dlg.findChild<QPushButton*>(QString::number(CDlgLibrary::kIdUpdate)), Qt::LeftButton);
    });
    CPanelWnd& wnd = Start();
    EXPECT_EQ(shownInDialog, QStringList { QDir::toNativeSeparators(Music()) });
    EXPECT_EQ(Value("SELECT count(*) FROM library"), "3") << "the update ran over the folder";
    EXPECT_EQ(Value("SELECT title FROM library WHERE file LIKE '%/2.mp3'"), "Track 2");
    CSkinTree& tree = wnd.GetTree();
    ASSERT_NE(tree.Rows().PlaylistsCategory(), nullptr);
    EXPECT_NE(Child(tree.Rows().PlaylistsCategory(), "My Playlist"), nullptr);
    EXPECT_NE(m_home.Read("data/Plumo/Playlist.xml").indexOf("My Playlist"), -1);
    EXPECT_TRUE(QFile::exists(Profile() + "/Settings.xml")) << "the first start saves at once";
    EXPECT_TRUE(Songs().empty());

    // The artist picked in the tree fills the list.
    CSkinTreeNode* artists = Head(tree, NodeType::Artist);
    ASSERT_NE(artists, nullptr);
    ASSERT_TRUE(ClickExpand(tree, artists));
    CSkinTreeNode* artist = AwaitChild(artists, "Artist");
    ASSERT_NE(artist, nullptr);
    ClickNode(tree, artist);
    Settle();
    ASSERT_EQ(Songs().size(), 3u);
    EXPECT_EQ(TitleOf(Songs()[1]), "Track 2");

    // A double click plays the row, and it is heard.
    CSkinList& list = wnd.GetList();
    const qint64 silentUpTo = OutputSize();
    ASSERT_TRUE(DoubleClickRow(list, Songs()[1]));
    Settle();
    ASSERT_EQ(list.Rows().Focus(), Songs()[1]);
    ASSERT_EQ(Playing(), Songs()[1]);
    EXPECT_EQ(wnd.windowTitle(), "Artist - Track 2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return RecentLevel() > 0.1; }, kDeadlineMs))
        << "the tone reaches the output";
    EXPECT_GT(OutputSize(), silentUpTo);

    // Pause fades the sound out and resume fades it back in, as the samples show.
    const double full = RecentLevel();
    const qint64 pausedAt = OutputSize();
    wnd.OnCommand(CContextMenu::ID_PAUSE);
    ASSERT_TRUE(wnd.GetPlayer().paused);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::vector<double> l = Levels(pausedAt);
            return levels::AnyBelow(l, 0.02 * full);
        },
        kDeadlineMs))
        << "the sound dies away";
    EXPECT_TRUE(levels::Fades(Levels(pausedAt), full, true));
    const qint64 resumedAt = OutputSize();
    wnd.OnCommand(CContextMenu::ID_PAUSE);
    ASSERT_FALSE(wnd.GetPlayer().paused);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::vector<double> l = Levels(resumedAt);
            return levels::AnyAbove(l, 0.97 * full);
        },
        kDeadlineMs))
        << "the sound comes back";
    EXPECT_TRUE(levels::Fades(Levels(resumedAt), full, false));

    // Repeat wraps Next and Previous around the list; without it Next on the last row stops.
    // Shuffle leaves Next alone.
    wnd.OnCommand(CContextMenu::ID_NEXT);
    Settle();
    ASSERT_EQ(Playing(), Songs()[2]);
    EXPECT_EQ(Value("SELECT skip FROM library WHERE title='Track 2'"), "1");
    wnd.OnCommand(CPanelWnd::ID_REPEAT);
    EXPECT_EQ(wnd.GetSettings().GetRepeat(), 1);
    wnd.OnCommand(CContextMenu::ID_NEXT);
    Settle();
    EXPECT_EQ(Playing(), Songs()[0]);
    wnd.OnCommand(CContextMenu::ID_PREV);
    Settle();
    EXPECT_EQ(Playing(), Songs()[2]);
    wnd.OnCommand(CPanelWnd::ID_REPEAT);
    wnd.OnCommand(CPanelWnd::ID_SHUFFLE);
    EXPECT_EQ(wnd.GetSettings().GetRepeat(), 0);
    EXPECT_EQ(wnd.GetSettings().GetShuffle(), 1);
    wnd.OnCommand(CContextMenu::ID_NEXT);
    Settle();
    EXPECT_EQ(Playing(), nullptr);
    EXPECT_FALSE(wnd.GetPlayer().playing);
    // With shuffle the end of the last track still leads to a track.
    ASSERT_TRUE(DoubleClickRow(list, Songs()[2]));
    Settle();
    wnd.Seek(99000);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Value("SELECT count FROM library WHERE title='Track 3'") == "1"; },
        kDeadlineMs))
        << "the last track ends by itself";
    EXPECT_TRUE(wnd.GetPlayer().playing);
    EXPECT_NE(Playing(), nullptr);

    // Stop clears the titles.
    wnd.OnCommand(CContextMenu::ID_STOP);
    EXPECT_EQ(wnd.windowTitle(), "Plumo");
    EXPECT_TRUE(wnd.GetPlayer().title.isEmpty());
    EXPECT_TRUE(wnd.GetPlayer().artist.isEmpty());
    EXPECT_EQ(Playing(), nullptr);

    // The user's last touches: volume, another skin, the window moved; then the window closes.
    wnd.SetVolume(40000);
    const QString frost = "Frost";
    ASSERT_EQ(SendMsg(wnd.MsgTarget(), UWM_SKINAPPLY, reinterpret_cast<WParam>(&frost)), 1);
    wnd.move(140, 90);
    const QSize size = wnd.size();
    wnd.close();
    EXPECT_TRUE(wnd.IsShutDown());
    m_wnd.reset();
    CSettings saved;
    ASSERT_TRUE(saved.Load(Profile()));
    EXPECT_FALSE(saved.IsFirstRun());
    EXPECT_EQ(saved.GetVolume(), 40000);
    EXPECT_EQ(saved.GetSkin(), "Frost");
    EXPECT_EQ(saved.GetWindowRect().left, 140);
    EXPECT_EQ(saved.GetWindowRect().top, 90);
    EXPECT_EQ(saved.GetShuffle(), 1);
    EXPECT_EQ(saved.GetLibraryNode().node1Type, static_cast<int>(NodeType::Artist));
    EXPECT_EQ(saved.GetLibraryNode().node2String, "Artist");

    // The next start: no folders dialog, the artist's list, the skin, volume and place.
    CPanelWnd& again = Start();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_EQ(Songs().size(), 3u);
    EXPECT_EQ(TitleOf(Songs()[0]), "Track 1");
    EXPECT_EQ(again.GetSkinDraw().GetSkinName(), "Frost");
    EXPECT_EQ(again.GetEngine().GetVolumeLevel(), 40000);
    EXPECT_EQ(again.geometry().topLeft(), QPoint(140, 90));
    EXPECT_EQ(again.size(), size);
    EXPECT_EQ(again.GetSettings().GetShuffle(), 1);
}

TEST_F(UserSession, PlaylistsTakeAStreamAndFilesDroppedOnThemWhetherShownOrNot)
{
    MakeMusic(3);
    m_home.Write("data/Plumo/Settings.xml", "<?xml version=\"1.0\"?><Settings/>");
    fixture::Tone tone;
    tone.seconds = 4;
    const QString mp3 = m_home.File("radio.mp3");
    ASSERT_TRUE(fixture::MakeTone(mp3, tone));
    IcyServer radio(m_home.Read("radio.mp3"));
    CPanelWnd& wnd = Start();
    CSkinTree& tree = wnd.GetTree();
    wnd.OnCommand(CContextMenu::ID_NEW_PLAYLIST);
    wnd.OnCommand(CContextMenu::ID_NEW_PLAYLIST);
    CSkinTreeNode* playlists = tree.Rows().PlaylistsCategory();
    ASSERT_NE(playlists, nullptr);
    ASSERT_EQ(playlists->m_children.size(), 2u);
    CSkinTreeNode* radioList = playlists->m_children[0];
    CSkinTreeNode* party = playlists->m_children[1];

    // A stream typed into the address dialog, played from the first playlist: it connects
    // and the title from its metadata is shown.
    ClickNode(tree, radioList);
    Settle();
    ASSERT_TRUE(wnd.GetDatabase().IsOpen(DbConn::Viewed));
    Answer<CDlgOpenURL>(m_answers, [&](CDlgOpenURL& dlg) {
        dlg.findChild<QLineEdit*>(QString::number(CDlgOpenURL::kIdName))->setText("Loop FM");
        dlg.findChild<QLineEdit*>(QString::number(CDlgOpenURL::kIdAddress))
            ->setText(radio.Address());
        QTest::mouseClick(
            dlg.findChild<QPushButton*>(QString::number(CDlgOpenURL::kIdOk)), Qt::LeftButton);
    });
    wnd.OnCommand(CContextMenu::ID_ADD_STREAM);
    ASSERT_EQ(Songs().size(), 1u);
    EXPECT_EQ(TitleOf(Songs()[0]), "Loop FM");
    ASSERT_TRUE(DoubleClickRow(wnd.GetList(), Songs()[0]));
    Settle();
    EXPECT_EQ(wnd.windowTitle(), "Loop FM") << "the station's name while it connects";
    ASSERT_TRUE(QTest::qWaitFor([&] { return wnd.GetPlayer().title == "Loop Song"; }, kDeadlineMs))
        << wnd.windowTitle().toStdString();
    EXPECT_TRUE(wnd.GetPlayer().playing);
    EXPECT_EQ(wnd.windowTitle(), "Loop Artist - Loop Song");
    ASSERT_TRUE(QTest::qWaitFor([&] { return RecentLevel() > 0.1; }, kDeadlineMs));
    wnd.OnCommand(CContextMenu::ID_STOP);
    EXPECT_EQ(wnd.windowTitle(), "Plumo");
    EXPECT_TRUE(wnd.GetPlayer().title.isEmpty());
    // The same address handed over by the desktop's media controls becomes a stream row too,
    // and plays.
    wnd.OpenFiles({ radio.Address() });
    ASSERT_EQ(Songs().size(), 2u);
    EXPECT_EQ(Songs()[1]->m_file, radio.Address());
    EXPECT_EQ(Playing(), Songs()[1]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return wnd.GetPlayer().title == "Loop Song"; }, kDeadlineMs));
    wnd.OnCommand(CContextMenu::ID_STOP);
    EXPECT_EQ(Value("SELECT count(*) FROM playlist WHERE type=100", radioList->m_key), "2");

    // Files dropped from the file manager on the other playlist reach it, though it is not
    // the one shown.
    const auto drop = [&](CSkinTreeNode* node, const QStringList& files) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& f : files)
            urls << QUrl::fromLocalFile(Music() + "/" + f);
        mime.setUrls(urls);
        const QPoint at = NodePoint(tree, node);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&tree, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&tree, &move);
        QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&tree, &dropped);
    };
    drop(party, { "1.mp3", "2.mp3" });
    ASSERT_EQ(Songs().size(), 2u) << "the list still shows the radio playlist";
    EXPECT_EQ(Value("SELECT count(*) FROM playlist", radioList->m_key), "2");
    EXPECT_EQ(Value("SELECT count(*) FROM playlist", party->m_key), "2");
    EXPECT_EQ(
        Value("SELECT group_concat(title, ',') FROM (SELECT title FROM playlist ORDER BY idx)",
            party->m_key),
        "Track 1,Track 2");
    EXPECT_FALSE(wnd.GetDatabase().IsOpen(DbConn::Target));
    ClickNode(tree, party);
    Settle();
    ASSERT_EQ(Songs().size(), 2u);
    // Dropped on the playlist shown, the files appear in the list at once.
    drop(party, { "3.mp3" });
    ASSERT_EQ(Songs().size(), 3u);
    EXPECT_EQ(TitleOf(Songs()[2]), "Track 3");
    EXPECT_EQ(Value("SELECT count(*) FROM playlist", party->m_key), "3");
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Times the list and tree views over a generated library of 50,000 tracks, or as many as the
// second argument asks: filling the list from a genre that holds every track (on the window's
// thread, and with the library read on the fill worker), painting it at 1920 x 1080, one wheel
// step, and expanding each category of the tree, read on the window's thread and on the tree
// fill worker; then prints the process's resident memory with the rows shown. A third
// argument is appended to every figure's name.
#include "library/CDBase.h"
#include "library/CLibraryQuery.h"
#include "library/CListFill.h"
#include "library/CTreeFill.h"
#include "views/CSkinList.h"
#include "views/CSkinTree.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <unicode/uloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultRows = 50000;
constexpr int kRuns = 9;
const QSize kScreen(1920, 1080);

double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Median processor time of the thread over the runs: wall time on a shared machine mostly
// measures the neighbours.
double Median(const std::function<void()>& run, const std::function<void()>& before = {})
{
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        if (before) {
            before();
        }
        const double start = CpuMs();
        run();
        ms.push_back(CpuMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

std::string Word(std::mt19937& rng, int syllables)
{
    static const char* const kSyllables[] = {"ka", "lo", "mi", "ra", "the", "son", "el", "an",
                                             "be", "do", "ri", "ta", "ve", "zu", "mar", "is"};
    std::string word;
    for (int i = 0; i < syllables; ++i) {
        word += kSyllables[rng() % std::size(kSyllables)];
    }
    word[0] = static_cast<char>(word[0] - 'a' + 'A');
    return word;
}

// Tracks in albums of 8 to 15, by one artist per 20 tracks, all of genre "Rock".
void FillLibrary(CDBase& db, int count)
{
    std::mt19937 rng(20261);
    std::vector<std::string> artists;
    for (int i = 0; i < count / 20; ++i) {
        artists.push_back(Word(rng, 2) + " " + Word(rng, 3));
    }
    db.Begin(DbConn::Library);
    for (int row = 0; row < count;) {
        const std::string artist = artists[rng() % artists.size()];
        const std::string album = Word(rng, 3) + " " + Word(rng, 2);
        const int year = 1960 + static_cast<int>(rng() % 65);
        const int tracks = 8 + static_cast<int>(rng() % 8);
        for (int n = 1; n <= tracks && row < count; ++n, ++row) {
            TrackRecord r;
            r.size = 5000000;
            r.modified = "2024-05-06 07:08:09";
            r.title = Word(rng, 2) + " " + Word(rng, 3);
            r.artist = artist;
            r.album = album;
            r.genre = "Rock";
            r.hasYear = true;
            r.year = year;
            r.hasNumber = true;
            r.number = n;
            r.time = 120 + static_cast<int>(rng() % 300);
            r.type = 1;
            db.InsertLibraryRow("/music/" + std::to_string(row / 12) + "/" + std::to_string(row)
                                    + ".mp3",
                                "2024-05-06 07:08:09", r);
        }
    }
    db.Commit(DbConn::Library);
}

double RssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return 0;
}

// Takes the rows and keeps nothing: what the query alone costs.
class NullList : public IListSink {
public:
    explicit NullList(const CSkinList& list) : m_list(list) {}
    std::vector<int> HeadKinds() const override { return m_list.HeadKinds(); }
    std::vector<int> SongKinds() const override { return m_list.SongKinds(); }
    void Clear() override {}
    void BeginUpdate() override {}
    void EndUpdate() override {}
    void AddHead(const QString&, const ListTexts&) override {}
    void AddSong(int, bool, const QString&, int, int, const ListTexts&) override {}
    int SongCount() const override { return 0; }
    void SetPositionText(int, const QString&) override {}

private:
    const CSkinList& m_list;
};

void Paint(CSkinList& list, QImage& frame)
{
    QPainter painter(&frame);
    list.Render(painter);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    UErrorCode status = U_ZERO_ERROR;
    uloc_setDefault("en_US", &status);
    const QString skin = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("Skin/Default");
    QTemporaryDir dir;
    CDBase db;
    db.SetLineSource([](LangSection, int) { return QStringLiteral("Unknown"); });
    db.SetFolder(dir.path());
    db.OpenLibrary();
    const int rows = argc > 2 ? std::atoi(argv[2]) : kDefaultRows;
    const std::string suffix = argc > 3 ? argv[3] : "";
    if (rows < 20) {
        std::fprintf(stderr, "at least 20 rows, please\n");
        return 1;
    }
    FillLibrary(db, rows);
    CLibraryQuery query(db);

    CSkinList list;
    list.resize(kScreen);
    if (!list.LoadSkin(skin + QStringLiteral("/List/List.xml"))) {
        std::fprintf(stderr, "cannot read the list skin in %s\n", qPrintable(skin));
        return 1;
    }
    const double fill = Median([&] {
        query.ListValue(TreeKind::Genres, QStringLiteral("Rock"), list);
    });
    // With the library read on the worker the window's thread only clears the old rows and
    // builds the new ones; waiting in the event loop costs it no processor time.
    CListFill worker;
    const double fillUi = Median([&] {
        QEventLoop loop;
        QObject::connect(&worker, &CListFill::Finished, &loop, &QEventLoop::quit);
        worker.Start(db.LibraryPath(),
            CLibraryQuery::ValueList(TreeKind::Genres, QStringLiteral("Rock")), query.ShapeOf(list),
            list);
        loop.exec();
    });
    NullList null(list);
    const double queryOnly = Median([&] {
        query.ListValue(TreeKind::Genres, QStringLiteral("Rock"), null);
    });
    if (list.SongCount() != rows) {
        std::fprintf(stderr, "the list holds %d rows\n", list.SongCount());
        return 1;
    }
    QImage frame(kScreen, QImage::Format_ARGB32_Premultiplied);
    Paint(list, frame);
    list.Rows().Scroll().ScrollTo(list.Rows().Scroll().Max() / 2);
    const double paint = Median([&] { Paint(list, frame); });
    const double scroll = Median([&] {
        list.Rows().Wheel(-120, 3);
        Paint(list, frame);
    });
    const double rss = RssMb();

    CSkinTree tree;
    tree.resize(kScreen.width() / 4, kScreen.height());
    tree.LoadSkin(skin + QStringLiteral("/Tree/Tree.xml"));
    // The window thread's whole share of expanding a category when it reads the children
    // itself: the read, the nodes and the layout.
    const auto expand = [&](TreeKind kind, NodeType type) {
        CSkinTreeNode* head = nullptr;
        return Median(
            [&] {
                tree.Rows().SetFillTarget(head);
                tree.SetAutoLayout(false);
                query.FillRoot(kind, tree);
                tree.Rows().SetFillTarget(nullptr);
                head->m_expanded = true;
                tree.SetAutoLayout(true);
                tree.RecalcLayout();
            },
            [&] {
                tree.DeleteAll();
                head = tree.AddCategory(type, QStringLiteral("Category"));
            });
    };
    // With the children read on the tree fill worker the window's thread only adds them and
    // lays the tree out; waiting in the event loop costs it no processor time.
    CTreeFill treeFill;
    const auto expandUi = [&](TreeKind kind, NodeType type) {
        CSkinTreeNode* head = nullptr;
        return Median(
            [&] {
                QEventLoop loop;
                QObject::connect(&treeFill, &CTreeFill::Finished, &loop,
                    [&](TreeKind, const CTreeFill::Children& children, bool) {
                        tree.SetAutoLayout(false);
                        tree.Rows().SetFillTarget(head);
                        children.Replay(tree);
                        tree.Rows().SetFillTarget(nullptr);
                        head->m_expanded = true;
                        tree.SetAutoLayout(true);
                        tree.RecalcLayout();
                        loop.quit();
                    });
                treeFill.Start(db.LibraryPath(), kind, QStringLiteral("Unknown"));
                loop.exec();
            },
            [&] {
                tree.DeleteAll();
                head = tree.AddCategory(type, QStringLiteral("Category"));
            });
    };
    const double expandArtistsUi = expandUi(TreeKind::Artists, NodeType::Artist);
    const double expandAlbumsUi = expandUi(TreeKind::Albums, NodeType::Album);
    const double expandArtists = expand(TreeKind::Artists, NodeType::Artist);
    const double expandAlbums = expand(TreeKind::Albums, NodeType::Album);
    const double expandYears = expand(TreeKind::Years, NodeType::Year);
    const double expandGenres = expand(TreeKind::Genres, NodeType::Genre);

    const char* const name = suffix.c_str();
    std::printf("list_fill_layout_ms%s: %.1f ms\n", name, fill);
    std::printf("list_query_only_ms%s: %.1f ms\n", name, queryOnly);
    std::printf("list_fill_ui_ms%s: %.1f ms\n", name, fillUi);
    std::printf("list_paint_ms%s: %.2f ms\n", name, paint);
    std::printf("list_scroll_paint_ms%s: %.2f ms\n", name, scroll);
    std::printf("tree_expand_ms%s: %.1f ms\n", name, expandArtists);
    std::printf("tree_expand_albums_ms%s: %.1f ms\n", name, expandAlbums);
    std::printf("tree_expand_years_ms%s: %.1f ms\n", name, expandYears);
    std::printf("tree_expand_genres_ms%s: %.1f ms\n", name, expandGenres);
    std::printf("tree_expand_ui_ms%s: %.1f ms\n", name, expandArtistsUi);
    std::printf("tree_expand_albums_ui_ms%s: %.1f ms\n", name, expandAlbumsUi);
    std::printf("rss_mb_%dk: %.0f MB\n", rows / 1000, rss);
    return 0;
}

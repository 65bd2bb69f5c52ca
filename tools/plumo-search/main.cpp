// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// plumo-search PROFILE_FOLDER WORDS...: prints the library ids of the tracks the player's search
// box lists for WORDS, in the list's order, one a line.
#include "CDBase.h"
#include "CLibraryQuery.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {

// Keeps only the library ids of the songs, in the order the list would show them.
class IdList : public IListSink {
public:
    std::vector<int> HeadKinds() const override { return {}; }
    std::vector<int> SongKinds() const override { return {}; }
    void Clear() override { ids.clear(); }
    void BeginUpdate() override {}
    void EndUpdate() override {}
    void AddHead(const QString&, const ListTexts&) override {}
    void AddSong(int, bool, const QString&, int libraryId, int, const ListTexts&) override
    {
        ids.push_back(libraryId);
    }
    int SongCount() const override { return static_cast<int>(ids.size()); }
    void SetPositionText(int, const QString&) override {}

    std::vector<int> ids;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: plumo-search PROFILE_FOLDER WORDS...\n";
        return 2;
    }
    CDBase db;
    db.SetFolder(args.takeFirst());
    // Opening makes a missing file; a search has nothing to find there and must not leave one.
    if (!QFileInfo::exists(db.LibraryPath())) {
        QTextStream(stderr) << "no library at " << db.LibraryPath() << '\n';
        return 1;
    }
    db.OpenLibrary();
    if (!db.HasSearchIndex()) {
        QTextStream(stderr) << "cannot search " << db.LibraryPath() << '\n';
        return 1;
    }
    const ListQuery query = CLibraryQuery::SearchList(args.join(QLatin1Char(' ')));
    IdList list;
    if (!query.sql.empty() && !CLibraryQuery(db).RunList(query, list)) {
        QTextStream(stderr) << "the search failed\n";
        return 1;
    }
    QTextStream out(stdout);
    for (const int id : list.ids)
        out << id << '\n';
    return 0;
}

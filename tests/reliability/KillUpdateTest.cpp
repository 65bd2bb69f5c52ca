// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The library update killed at random moments (during the reading, the commit, the VACUUM, a
// checkpoint of the write-ahead log): "Library.db" must always open, pass SQLite's integrity
// check and keep every rating and play count, and the next complete run must bring it in line
// with the folder.
#include "AudioFixture.h"
#include "QtPrinters.h"
#include "ScanKiller.h"

#include <QDateTime>
#include <QDir>
#include <QTimeZone>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>

#include <iostream>
#include <string>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

constexpr int kFiles = 3000;
const char* const kTypes[] = {"mp3", "ogg", "flac", "m4a", "wma", "aac"};
// Every so many files gets tags of its own and a rating: a moved file is recognised by its
// tags, so rated files must not share them with the copies that come and go.
constexpr int kRatedEvery = 37;
constexpr int kChangesPerRun = 300;
// Last-write times given to changed files count down from here, one second per change.
const QDateTime kTouchBase = QDateTime(QDate(2020, 1, 1), QTime(0, 0), QTimeZone::utc());

struct Kept {
    int rating = 0;
    int count = 0;
    bool operator==(const Kept&) const = default;
};

// The first few keys that differ between two maps, for a readable failure.
template <class Map>
std::string Differences(const Map& want, const Map& have)
{
    std::string out = std::to_string(want.size()) + " wanted, " + std::to_string(have.size()) + " found;";
    int shown = 0;
    for (auto it = want.begin(); it != want.end() && shown < 5; ++it)
        if (!have.contains(it.key()) || !(have.value(it.key()) == it.value())) {
            out += " missing or changed: " + it.key().toStdString();
            ++shown;
        }
    for (auto it = have.begin(); it != have.end() && shown < 10; ++it)
        if (!want.contains(it.key())) {
            out += " unexpected: " + it.key().toStdString();
            ++shown;
        }
    return out;
}

class Db {
public:
    explicit Db(const QString& path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE,
                nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~Db() { sqlite3_close(m_db); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    bool IsOpen() const { return m_db != nullptr; }

    // The first column of every row, as text.
    QStringList Column(const char* sql) const
    {
        QStringList out;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            return {QStringLiteral("prepare failed: ") + sqlite3_errmsg(m_db)};
        while (sqlite3_step(stmt) == SQLITE_ROW)
            out.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))));
        sqlite3_finalize(stmt);
        return out;
    }

    QMap<QString, Kept> Ratings() const
    {
        QMap<QString, Kept> out;
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(m_db,
            "SELECT file,rating,count FROM library WHERE rating>0 OR count>0;", -1, &stmt, nullptr);
        while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
            out.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))),
                {sqlite3_column_int(stmt, 1), sqlite3_column_int(stmt, 2)});
        sqlite3_finalize(stmt);
        return out;
    }

    bool Exec(const QByteArray& sql) { return sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK; }

private:
    sqlite3* m_db = nullptr;
};

class KillUpdate : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        QDir().mkpath(Folder());
        // One tagged template per type, copied; the rated files are tagged one by one.
        for (const char* type : kTypes) {
            const QString tmpl = s_dir->filePath(QString("template.") + type);
            if (!fixture::CopyTone(type, tmpl)
                || !fixture::WriteTags(tmpl, {{"TITLE", "Tone"}, {"ARTIST", type}, {"ALBUM", "Kill"}}))
                return;
        }
        for (int i = 0; i < kFiles; ++i) {
            const char* type = kTypes[i % std::size(kTypes)];
            const QString sub = QStringLiteral("%1/d%2").arg(Folder()).arg(i / 100);
            QDir().mkpath(sub);
            const QString path = QStringLiteral("%1/f%2.%3").arg(sub).arg(i).arg(type);
            if (!QFile::copy(s_dir->filePath(QString("template.") + type), path))
                return;
            if (i % kRatedEvery == 0
                && !fixture::WriteTags(path, {{"TITLE", QStringLiteral("Rated %1").arg(i)},
                    {"ARTIST", type}, {"ALBUM", "Kill"}}))
                return;
        }
        s_ready = true;
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    static QString Folder() { return s_dir->filePath("music"); }
    static QString Profile() { return s_dir->filePath("profile"); }
    static QString DbPath() { return QDir(Profile()).filePath("Library.db"); }

    // Path to size of every file of the library folder.
    static QMap<QString, qint64> FilesOnDisk()
    {
        QMap<QString, qint64> out;
        QDirIterator it(Folder(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            out.insert(path, it.fileInfo().size());
        }
        return out;
    }

    // Gives every run something to write: some files grow (an update of their rows), some
    // go and others come back (deletes and inserts). Rated files are left alone.
    static void ChangeFolder(QRandomGenerator& random, const QSet<QString>& rated)
    {
        for (int k = 0; k < kChangesPerRun; ++k) {
            const int i = random.bounded(kFiles);
            const char* type = kTypes[i % std::size(kTypes)];
            const QString path = QStringLiteral("%1/d%2/f%3.%4").arg(Folder()).arg(i / 100).arg(i).arg(type);
            if (rated.contains(path))
                continue;
            if (k % 3 == 0 && QFile::exists(path)) {
                QFile file(path);
                if (file.open(QIODevice::Append))
                    file.write(QByteArray(16, '\0'));
            } else if (!QFile::remove(path)) {
                QFile::copy(s_dir->filePath(QString("template.") + type), path);
            }
            Touch(path);
        }
    }

    // The update sees a change by the last-write time, to the second, so a file changed within
    // the second the last run saw it would look unchanged: each change gets a time of its own.
    static void Touch(const QString& path)
    {
        QFile file(path);
        if (file.exists() && file.open(QIODevice::ReadWrite))
            file.setFileTime(kTouchBase.addSecs(-(++s_touches)),
                QFileDevice::FileModificationTime);
    }

    static void ExpectSound(const QMap<QString, Kept>& kept, const std::string& when)
    {
        Db db(DbPath());
        ASSERT_TRUE(db.IsOpen()) << when;
        EXPECT_EQ(db.Column("PRAGMA integrity_check;"), QStringList{"ok"}) << when;
        const QMap<QString, Kept> have = db.Ratings();
        EXPECT_TRUE(have == kept) << when << ": " << Differences(kept, have);
    }

    static QTemporaryDir* s_dir;
    static bool s_ready;
    static inline int s_touches = 0;
};

QTemporaryDir* KillUpdate::s_dir = nullptr;
bool KillUpdate::s_ready = false;

TEST_F(KillUpdate, DatabaseSurvivesKillsAnywhereAndTheNextRunCatchesUp)
{
    if (scankill::ToolPath().isEmpty())
        GTEST_SKIP() << "PLUMO_BUILD_DIR is not set, so plumo-scan cannot be found";
    ASSERT_TRUE(s_ready) << "could not generate the library folder";
    const int fullMs = scankill::RunToEnd(Profile(), Folder());
    ASSERT_GT(fullMs, 0) << "plumo-scan failed";

    // Ratings and counters as the player would have written them.
    QMap<QString, Kept> kept;
    {
        Db db(DbPath());
        ASSERT_TRUE(db.IsOpen());
        ASSERT_TRUE(db.Exec("UPDATE library SET rating=1+id%5, count=id%7+1 WHERE title LIKE 'Rated %';"));
        kept = db.Ratings();
    }
    ASSERT_EQ(kept.size(), (kFiles + kRatedEvery - 1) / kRatedEvery);
    const QList<QString> keys = kept.keys();
    const QSet<QString> rated(keys.begin(), keys.end());

    // A run that only changes a little is short; kills are placed by a changed run's time.
    // tools/kill-test repeats the test with other seeds.
    const int seed = qEnvironmentVariableIsSet("PLUMO_KILL_SEED")
        ? qEnvironmentVariableIntValue("PLUMO_KILL_SEED") : 20261208;
    QRandomGenerator random(static_cast<quint32>(seed));
    ChangeFolder(random, rated);
    const int changedMs = scankill::RunToEnd(Profile(), Folder());
    ASSERT_GT(changedMs, 0);
    std::cout << "full run " << fullMs << " ms, changed run " << changedMs << " ms, seed " << seed
              << '\n';
    ExpectSound(kept, "after a complete run");

    struct Plan {
        const char* what;
        scankill::Trigger trigger;
        bool surelyKilled = false; // the update cannot end before the trigger fires
    };
    const std::vector<Plan> plans = {
        {"early", scankill::AfterMs(changedMs / 10)},
        {"a third in", scankill::AfterMs(changedMs / 3)},
        {"two thirds in", scankill::AfterMs(changedMs * 2 / 3)},
        {"near the end", scankill::AfterMs(changedMs * 9 / 10)},
        // The update's own write to the log comes before its VACUUM and its close: it can
        // only be missed when the update keeps no log.
        {"at the commit", scankill::DuringLogWrite(Profile(), 1, 0), true},
        {"inside the commit", scankill::DuringLogWrite(Profile(), 1, 2)},
        {"at the VACUUM", scankill::DuringLogWrite(Profile(), 2, 0)},
        {"inside the VACUUM", scankill::DuringLogWrite(Profile(), 2, 1)},
        {"at a checkpoint", scankill::DuringCheckpoint(Profile())},
        {"at random", scankill::AfterMs(random.bounded(changedMs + 1))},
    };
    int killed = 0;
    for (const Plan& plan : plans) {
        ChangeFolder(random, rated);
        const scankill::Outcome outcome = scankill::RunAndKill(Profile(), Folder(), plan.trigger);
        ASSERT_NE(outcome, scankill::Outcome::Failed) << plan.what;
        if (plan.surelyKilled) {
            EXPECT_EQ(outcome, scankill::Outcome::Killed) << plan.what;
        }
        killed += outcome == scankill::Outcome::Killed ? 1 : 0;
        std::cout << "kill " << plan.what << ": "
                  << (outcome == scankill::Outcome::Killed ? "killed" : "finished first") << '\n';
        ExpectSound(kept, std::string("killed ") + plan.what);
    }
    EXPECT_GE(killed, static_cast<int>(plans.size()) / 2) << "most runs must really be cut short";

    ASSERT_GT(scankill::RunToEnd(Profile(), Folder()), 0);
    ExpectSound(kept, "after the final run");
    Db db(DbPath());
    const QStringList rows = db.Column("SELECT file || char(9) || size FROM library;");
    QMap<QString, qint64> inDb;
    for (const QString& row : rows)
        inDb.insert(row.section(u'\t', 0, 0), row.section(u'\t', 1).toLongLong());
    EXPECT_EQ(inDb.size(), rows.size()) << "one row per file";
    const QMap<QString, qint64> onDisk = FilesOnDisk();
    EXPECT_TRUE(inDb == onDisk) << Differences(onDisk, inDb);
}

} // namespace

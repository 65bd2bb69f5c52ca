// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "ScanKiller.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <thread>

namespace scankill {

namespace {

constexpr int kToolTimeoutMs = 120000;
// Polls (about half a millisecond each) without growth of the log that end one write of it:
// the frames of one commit go out back to back, while a pause this long lies between the
// commit and the VACUUM that follows it.
constexpr int kStillPolls = 8;

bool Exists(const QByteArray& path)
{
    struct stat st {};
    return ::stat(path.constData(), &st) == 0;
}

// fork and exec rather than QProcess: the poll loop needs the child's pid at once and no
// event loop between the trigger and the kill.
pid_t Start(const QString& profile, const QString& folder)
{
    const QByteArray tool = QFile::encodeName(ToolPath());
    const QByteArray p = QFile::encodeName(profile);
    const QByteArray f = QFile::encodeName(folder);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0)
            ::dup2(null, STDOUT_FILENO);
        ::execl(tool.constData(), tool.constData(), p.constData(), f.constData(),
            static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

} // namespace

QString ToolPath()
{
    const QString build = qEnvironmentVariable("PLUMO_BUILD_DIR");
    return build.isEmpty() ? QString() : QDir(build).filePath(QStringLiteral("bin/plumo-scan"));
}

int RunToEnd(const QString& profile, const QString& folder)
{
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = Start(profile, folder);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)
        || WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<int>(timer.elapsed());
}

Outcome RunAndKill(const QString& profile, const QString& folder, const Trigger& trigger)
{
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = Start(profile, folder);
    if (pid < 0)
        return Outcome::Failed;
    int status = 0;
    while (timer.elapsed() < kToolTimeoutMs) {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Outcome::FinishedFirst
                                                                 : Outcome::Failed;
        if (trigger(static_cast<int>(timer.elapsed()))) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            // The tool may have ended by itself just before the signal landed.
            return WIFSIGNALED(status) ? Outcome::Killed : Outcome::FinishedFirst;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return Outcome::Failed;
}

Trigger AfterMs(int ms)
{
    return [ms](int elapsedMs) { return elapsedMs >= ms; };
}

Trigger DuringLogWrite(const QString& profile, int nth, int delayMs)
{
    struct State {
        QByteArray log;
        qint64 size = -1; // -1 while the log is absent
        int stillPolls = 0;
        int writes = 0;
        bool writing = false;
        QElapsedTimer since;
    };
    auto state = std::make_shared<State>();
    state->log = QFile::encodeName(QDir(profile).filePath(QStringLiteral("Library.db-wal")));
    return [state, nth, delayMs](int) {
        struct stat st {};
        const qint64 size = ::stat(state->log.constData(), &st) == 0 ? st.st_size : -1;
        if (size > state->size && size > 0) {
            if (!state->writing) {
                ++state->writes;
                state->writing = true;
                state->since.start();
            }
            state->stillPolls = 0;
        } else if (++state->stillPolls >= kStillPolls) {
            state->writing = false;
        }
        state->size = size;
        return state->writes == nth && state->since.isValid() && state->since.elapsed() >= delayMs;
    };
}

Trigger DuringCheckpoint(const QString& profile)
{
    struct State {
        QByteArray db;
        QByteArray log;
        bool logged = false;
        timespec written {};
    };
    auto state = std::make_shared<State>();
    state->db = QFile::encodeName(QDir(profile).filePath(QStringLiteral("Library.db")));
    state->log = QFile::encodeName(QDir(profile).filePath(QStringLiteral("Library.db-wal")));
    return [state](int) {
        struct stat db {};
        if (::stat(state->db.constData(), &db) != 0)
            return false;
        if (!Exists(state->log)) {
            state->logged = false;
            return false;
        }
        if (!state->logged) {
            state->logged = true;
            state->written = db.st_mtim;
            return false;
        }
        // Once the log is in use, only a checkpoint writes to the database file.
        return db.st_mtim.tv_sec != state->written.tv_sec
            || db.st_mtim.tv_nsec != state->written.tv_nsec;
    };
}

} // namespace scankill

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

Trigger DuringJournal(const QString& profile, int nth, int delayMs)
{
    struct State {
        QByteArray journal;
        bool present = false;
        int lives = 0;
        QElapsedTimer since;
    };
    auto state = std::make_shared<State>();
    state->journal = QFile::encodeName(QDir(profile).filePath(QStringLiteral("Library.db-journal")));
    return [state, nth, delayMs](int) {
        const bool present = Exists(state->journal);
        if (present && !state->present) {
            ++state->lives;
            state->since.start();
        }
        state->present = present;
        return present && state->lives == nth && state->since.elapsed() >= delayMs;
    };
}

} // namespace scankill

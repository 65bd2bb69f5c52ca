// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Runs the headless library update (plumo-scan PROFILE FOLDER) and kills it with SIGKILL at
// a chosen moment, as the out-of-memory killer or a forced quit would. (A power cut also
// loses the system's unwritten pages; that is SQLite's fsync discipline and not tested here.)
namespace scankill {

// The built tool, from PLUMO_BUILD_DIR; empty when that is not set.
QString ToolPath();

// Runs the tool to its end. Returns its wall time in milliseconds, or -1 when it failed.
int RunToEnd(const QString& profile, const QString& folder);

// What a kill waits for before striking; polled about every half millisecond while the tool
// runs. elapsedMs counts from the start.
using Trigger = std::function<bool(int elapsedMs)>;

enum class Outcome { Killed, FinishedFirst, Failed };

// Starts the tool, waits for the trigger, then kills it. FinishedFirst when the tool ended on
// its own before the trigger fired.
Outcome RunAndKill(const QString& profile, const QString& folder, const Trigger& trigger);

// Triggers.
Trigger AfterMs(int ms);
// Fires during the nth life (1-based) of the database's rollback journal, delayMs after the
// journal appeared. The update's one transaction gives the first life (from its first write
// to the disk, a cache spill or the commit, until the commit ends); the VACUUM the second.
Trigger DuringJournal(const QString& profile, int nth, int delayMs);

} // namespace scankill

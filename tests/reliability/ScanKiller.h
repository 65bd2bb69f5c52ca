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
// The library keeps its changes in a write-ahead log ("Library.db-wal"), which grows in
// bursts: the update's one transaction (its commit, or a cache spill before it) gives the
// first, the VACUUM the second. Fires delayMs after the nth burst began.
Trigger DuringLogWrite(const QString& profile, int nth, int delayMs);
// Fires when "Library.db" itself is written while the log is in use: a checkpoint copying the
// log's pages back into it (after a large commit, or at the close).
Trigger DuringCheckpoint(const QString& profile);

} // namespace scankill

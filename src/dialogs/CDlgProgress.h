// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "library/CLibraryUpdate.h"

#include <QDialog>
#include <QStringList>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class CDBase;
class QLabel;
class QProgressBar;
class QPushButton;

// The job a progress dialog runs.
enum class ProgressJob { LibraryUpdate, AddToViewed, AddToPlaylist, ImportPlaylist };

// Modal dialog that runs one database job (CLibraryUpdate) on a worker thread and closes
// itself when the job ends. Cancel, Esc and the close box only ask the worker to stop; the
// dialog stays until the worker has committed and posted its close request. The worker never
// waits for this thread: progress and status reach the dialog as queued calls, coalesced so a
// fast job cannot flood the event queue. UI thread only, except the IUpdateProgress methods,
// which the worker calls.
class CDlgProgress : public QDialog, private IUpdateProgress {
    Q_OBJECT
public:
    // Template ids of the controls, also their object names.
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdProgress = 1018;
    static constexpr int kIdStatus = 1019;

    explicit CDlgProgress(QWidget* parent = nullptr);
    ~CDlgProgress() override;

    // Inputs, set before Run. lines: the language section "ProcessDialog". db and reader must
    // outlive Run; reader is called from several threads.
    void SetLines(const QStringList& lines) { m_lines = lines; }
    void SetDatabase(CDBase* db) { m_db = db; }
    void SetTagReader(TagReadFn reader) { m_reader = std::move(reader); }
    void SetJob(ProgressJob job) { m_job = job; }
    // Library folders for the update; files or folders for adding.
    void SetPaths(const QStringList& paths) { m_paths = paths; }
    // The largest idx of the receiving playlist before the job (adding and importing).
    void SetBase(int base) { m_base = base; }
    // The playlist file to import and the file name (in "Playlist") of the receiving playlist.
    void SetImport(const QString& plsPath, const QString& playlistFile);
    // The file name (in "Playlist") of a playlist that is not shown, for adding to it.
    void SetPlaylistFile(const QString& playlistFile) { m_playlistFile = playlistFile; }
    void SetReaderThreads(int threads) { m_threads = threads; }
    // A job of the caller's instead of the database job: run on the worker with the dialog
    // as its progress and the cancel request, which it polls. It must not touch the
    // window's objects; what it makes is the caller's to use after Run.
    using Work = std::function<void(IUpdateProgress& progress, const std::atomic<bool>& cancel)>;
    void SetWork(Work work) { m_work = std::move(work); }

    // Shows the dialog and runs the job; returns QDialog::Accepted once the job has ended,
    // whether it completed or was cancelled.
    int Run();
    // What the job did; valid after Run.
    const UpdateStats& Stats() const { return m_stats; }
    // True when the job ended in an error and stored nothing; valid after Run.
    bool Failed() const { return m_failed; }
    // The `added` text of the run, taken when Run starts.
    const std::string& StartTime() const { return m_startTime; }

public Q_SLOTS:
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetRange(int files) override;
    void Step() override;
    void SetStatus(const QString& text) override;
    void PostPending();
    void ApplyPending();
    void WorkerEntry();
    void JoinWorker();

    QProgressBar* m_progress;
    QLabel* m_status;
    QPushButton* m_cancelButton;

    QStringList m_lines;
    CDBase* m_db = nullptr;
    TagReadFn m_reader;
    ProgressJob m_job = ProgressJob::LibraryUpdate;
    QStringList m_paths;
    int m_base = 0;
    QString m_plsPath;
    QString m_playlistFile;
    int m_threads = CLibraryUpdate::DefaultReaderThreads();
    Work m_work;

    std::string m_startTime;
    std::atomic<bool> m_cancel{false};
    bool m_finished = false; // UI thread: the worker's close request has arrived
    std::thread m_worker;
    UpdateStats m_stats;     // written by the worker before its close request
    bool m_failed = false;   // the same

    // Progress waiting to be shown, guarded by m_pendingMutex.
    std::mutex m_pendingMutex;
    int m_pendingRange = -1;     // -1: no new range
    int m_pendingPosition = 0;
    QString m_pendingStatus;
    bool m_pendingStatusSet = false;
    bool m_posted = false;       // a call to ApplyPending is queued
};

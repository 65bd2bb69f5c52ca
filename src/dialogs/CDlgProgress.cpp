// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: the UI thread owns the widgets; one worker runs the job. The worker only stores
// progress under m_pendingMutex and queues ApplyPending (at most one at a time), then queues
// the close request as its last act. The UI thread joins the worker only after that request
// arrived (or in the destructor), so neither ever waits for the other while it is waiting.
#include "CDlgProgress.h"

#include "library/CDBase.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

CDlgProgress::CDlgProgress(QWidget* parent)
    : QDialog(parent), m_progress(new QProgressBar(this)), m_status(new QLabel(this)),
      m_cancelButton(new QPushButton(this))
{
    setWindowTitle(QStringLiteral("Dialog"));
    setModal(true);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QString::number(kIdOk));
    ok->hide();
    m_cancelButton->setObjectName(QString::number(kIdCancel));
    m_cancelButton->setText(QStringLiteral("Cancel"));
    m_cancelButton->setAutoDefault(false);
    m_progress->setObjectName(QString::number(kIdProgress));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 0);
    m_status->setObjectName(QString::number(kIdStatus));
    m_status->setText(QStringLiteral("Static"));
    m_status->setMinimumWidth(320);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    connect(m_cancelButton, &QPushButton::clicked, this, &CDlgProgress::reject);
}

CDlgProgress::~CDlgProgress()
{
    m_cancel = true;
    JoinWorker();
}

void CDlgProgress::SetImport(const QString& plsPath, const QString& playlistFile)
{
    m_plsPath = plsPath;
    m_playlistFile = playlistFile;
}

int CDlgProgress::Run()
{
    setWindowTitle(m_lines.value(0));
    m_cancelButton->setText(m_lines.value(1));
    m_status->setText(m_lines.value(2));
    m_progress->setRange(0, 0);
    m_startTime = CDBase::NowText();
    m_cancel = false;
    m_finished = false;
    m_failed = false;
    m_worker = std::thread([this] { WorkerEntry(); });
    const int result = exec();
    JoinWorker();
    return result;
}

void CDlgProgress::WorkerEntry()
{
    try {
        if (m_work) {
            m_work(*this, m_cancel);
        } else if (m_db) {
            CLibraryUpdate job(*m_db, m_reader, *this, m_cancel);
            job.SetLines(m_lines);
            job.SetStartTime(m_startTime);
            job.SetReaderThreads(m_threads);
            if (m_job == ProgressJob::AddToViewed)
                job.AddToViewed(m_paths, m_base);
            else if (m_job == ProgressJob::AddToPlaylist)
                job.AddToPlaylist(m_paths, m_playlistFile);
            else if (m_job == ProgressJob::ImportPlaylist)
                job.ImportPlaylist(m_plsPath, m_playlistFile, m_base);
            else
                job.UpdateLibrary(m_paths);
            m_stats = job.Stats();
        }
    } catch (...) {
        // The job has rolled its transaction back; the dialog must still close, and its owner
        // tells the user that nothing was stored.
        m_failed = true;
    }
    QMetaObject::invokeMethod(this, [this] {
        m_finished = true;
        done(QDialog::Accepted);
    }, Qt::QueuedConnection);
}

void CDlgProgress::JoinWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

void CDlgProgress::accept()
{
    // OK (Enter) is not a way out: the job decides when the dialog ends.
}

void CDlgProgress::reject()
{
    if (m_finished)
        QDialog::reject();
    else
        m_cancel = true;
}

void CDlgProgress::closeEvent(QCloseEvent* event)
{
    if (m_finished) {
        QDialog::closeEvent(event);
        return;
    }
    m_cancel = true;
    event->ignore();
}

void CDlgProgress::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDlgProgress::SetRange(int files)
{
    std::lock_guard lock(m_pendingMutex);
    m_pendingRange = files;
    m_pendingPosition = 0;
    PostPending();
}

void CDlgProgress::Step()
{
    std::lock_guard lock(m_pendingMutex);
    ++m_pendingPosition;
    PostPending();
}

void CDlgProgress::SetStatus(const QString& text)
{
    std::lock_guard lock(m_pendingMutex);
    m_pendingStatus = text;
    m_pendingStatusSet = true;
    PostPending();
}

// Caller holds m_pendingMutex.
void CDlgProgress::PostPending()
{
    if (m_posted)
        return;
    m_posted = true;
    QMetaObject::invokeMethod(this, [this] { ApplyPending(); }, Qt::QueuedConnection);
}

void CDlgProgress::ApplyPending()
{
    int range = -1;
    int position = 0;
    QString status;
    bool statusSet = false;
    {
        std::lock_guard lock(m_pendingMutex);
        range = std::exchange(m_pendingRange, -1);
        position = m_pendingPosition;
        statusSet = std::exchange(m_pendingStatusSet, false);
        status = std::move(m_pendingStatus);
        m_posted = false;
    }
    // A range of 0 would turn the bar into a busy indicator; an empty job shows it empty.
    if (range >= 0)
        m_progress->setRange(0, std::max(range, 1));
    m_progress->setValue(position);
    if (statusSet)
        m_status->setText(status);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: the UI thread queues, signals, stops and starts; one worker thread loads covers.
// Lock: m_mutex only, held while the queue or the flags are touched, never while a picture is
// found or decoded. Stale work: a stopped worker drops the rest of its queue, and the nodes it
// saw are deleted only after Stop has joined it.
#include "CSkinListThread.h"

#include "CSkinListNode.h"
#include "EmbeddedCover.h"
#include "library/CCoverLoader.h"
#include "skin/CExImage.h"

#include <QMetaObject>

CSkinListThread::CSkinListThread(QWidget* window, qreal dpr) : m_window(window), m_dpr(dpr)
{
    Start();
}

CSkinListThread::~CSkinListThread()
{
    Stop();
}

void CSkinListThread::Queue(CSkinListNode* node)
{
    std::lock_guard lock(m_mutex);
    m_queue.push_back(node);
}

void CSkinListThread::Signal()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty()) {
            return;
        }
        m_signalled = true;
    }
    m_event.notify_one();
}

void CSkinListThread::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_event.notify_one();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    std::lock_guard lock(m_mutex);
    m_queue.clear();
    m_signalled = false;
}

void CSkinListThread::Start()
{
    if (m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_stop = false;
    }
    m_thread = std::thread([this] { Run(); });
}

std::size_t CSkinListThread::LockPending()
{
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

void CSkinListThread::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_event.wait(lock, [this] { return m_signalled || m_stop; });
        m_signalled = false;
        while (!m_stop && !m_queue.empty()) {
            // The node stays queued while it is worked on, so Stop knows it is in use.
            CSkinListNode* node = m_queue.front();
            lock.unlock();
            LoadCover(node);
            lock.lock();
            if (!m_queue.empty()) {
                m_queue.pop_front();
            }
        }
        if (m_stop) {
            return;
        }
    }
}

void CSkinListThread::LoadCover(CSkinListNode* node) const
{
    try {
        auto image = std::make_unique<CExImage>();
        CCoverLoader finder;
        bool loaded = false;
        if (finder.FindCover(node->m_file)) {
            loaded = image->LoadThumbnail(finder.GetCoverPath(), node->m_coverWidth,
                                          node->m_coverHeight, m_dpr);
        }
        if (!loaded) {
            const QByteArray bytes = EmbeddedCover(node->m_file);
            loaded = !bytes.isEmpty() && image->LoadBytes(bytes)
                && image->ScaleTo(node->m_coverWidth, node->m_coverHeight);
        }
        if (!loaded || !node->SetCover(image.release())) {
            return;
        }
    } catch (const std::exception&) {
        // Out of memory for one picture: the default cover stays.
        return;
    }
    if (QWidget* window = m_window) {
        QMetaObject::invokeMethod(window, [window] { window->update(); }, Qt::QueuedConnection);
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Threads: the UI thread queues, signals and stops; the CCoverWorker's thread finds and
// decodes pictures from copies of the node's file and size. A picture reaches its node on the
// UI thread only, in a delivery that Stop cancels, so a node is never touched after Stop.
#include "CSkinListThread.h"

#include "CSkinListNode.h"
#include "EmbeddedCover.h"
#include "library/CCoverLoader.h"
#include "skin/CExImage.h"

#include <memory>

CSkinListThread::CSkinListThread(QWidget* window, qreal dpr)
    : m_window(window), m_dpr(dpr), m_worker(window)
{
}

void CSkinListThread::Queue(CSkinListNode* node)
{
    m_queued.push_back(node);
}

void CSkinListThread::Signal()
{
    for (CSkinListNode* node : m_queued) {
        m_worker.Queue([this, node, file = node->m_file, width = node->m_coverWidth,
                           height = node->m_coverHeight, dpr = m_dpr]() -> CCoverWorker::Delivery {
            auto image = std::make_shared<CExImage>();
            CCoverLoader finder;
            bool loaded = finder.FindCover(file)
                && image->LoadThumbnail(finder.GetCoverPath(), width, height, dpr);
            if (!loaded) {
                const QByteArray bytes = EmbeddedCover(file);
                loaded = !bytes.isEmpty() && image->LoadBytes(bytes) && image->ScaleTo(width, height);
            }
            if (!loaded) {
                return nullptr;
            }
            return [this, node, image] {
                if (node->SetCover(new CExImage(std::move(*image)))) {
                    m_window->update();
                }
            };
        });
    }
    m_queued.clear();
}

void CSkinListThread::Stop()
{
    m_queued.clear();
    m_worker.Drop();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CMsgTarget.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>

CMsgTarget::CMsgTarget(QObject* parent)
    : QObject(parent)
{
}

CMsgTarget::~CMsgTarget() = default;

LResult SendMsg(CMsgTarget* target, unsigned msg, WParam wParam, LParam lParam)
{
    if (target == nullptr)
        return 0;
    if (QThread::currentThread() == target->thread())
        return target->OnUserMessage(msg, wParam, lParam);

    // Should the target die with the call still queued, Qt discards the call and releases
    // the caller, which then answers 0.
    LResult result = 0;
    QMetaObject::invokeMethod(
        target, [target, msg, wParam, lParam, &result] {
            result = target->OnUserMessage(msg, wParam, lParam);
        },
        Qt::BlockingQueuedConnection);
    return result;
}

void PostMsg(CMsgTarget* target, unsigned msg, WParam wParam, LParam lParam)
{
    if (target == nullptr)
        return;
    QPointer<CMsgTarget> guard(target);
    QMetaObject::invokeMethod(
        target, [guard, msg, wParam, lParam] {
            if (guard)
                guard->OnUserMessage(msg, wParam, lParam);
        },
        Qt::QueuedConnection);
}

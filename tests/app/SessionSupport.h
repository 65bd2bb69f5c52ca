// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CPanelWnd.h"

#include <QApplication>
#include <QImage>
#include <QObject>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

// What a user does with the real window: answers its modal dialogs, clicks tree nodes and
// double-clicks list rows at the places they are painted. UI thread.
namespace session {

constexpr int kDeadlineMs = 30000;

// Creates the window as the player starts it, then waits until the stored list's rows are in:
// the start-up restore reads them off the window's thread.
inline bool CreateAndRestore(CPanelWnd& wnd)
{
    return wnd.Create()
        && QTest::qWaitFor([&wnd] { return !wnd.GetListFill().IsRunning(); }, kDeadlineMs);
}

// Answers the next modal dialog of type T once it is up, from inside the dialog's own event
// loop. The polling timer belongs to owner, so an answer never needed dies with the test.
template <typename T> void Answer(QObject& owner, std::function<void(T&)> answer)
{
    auto* timer = new QTimer(&owner);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dlg == nullptr || !dlg->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(*dlg);
    });
    timer->start();
}

// Lays the view out as a paint would, so row and node places are known.
template <typename View> void Paint(View& view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    view.Render(painter);
}

// The tree's node whose label is text under parent (a head or a node); null when absent.
inline CSkinTreeNode* Child(const CSkinTreeNode* parent, const QString& text)
{
    for (CSkinTreeNode* child : parent->m_children) {
        if (child->Label() == text)
            return child;
    }
    return nullptr;
}

// The same once it is there: a category's children are read off the window's thread and
// come a moment after it opens. Null when it does not come.
inline CSkinTreeNode* AwaitChild(const CSkinTreeNode* parent, const QString& text)
{
    CSkinTreeNode* child = nullptr;
    return QTest::qWaitFor([&] { return (child = Child(parent, text)) != nullptr; }, kDeadlineMs)
        ? child
        : nullptr;
}

inline CSkinTreeNode* Head(CSkinTree& tree, NodeType type)
{
    for (CSkinTreeNode* head : tree.Rows().Root()->m_children) {
        if (head->m_type == type)
            return head;
    }
    return nullptr;
}

// The middle of a shown node's line, in the tree's coordinates.
inline QPoint NodePoint(CSkinTree& tree, const CSkinTreeNode* node)
{
    Paint(tree);
    return { tree.width() / 2, node->m_top + node->Height() / 2 };
}

// Clicks the expand button in front of a shown node.
inline bool ClickExpand(CSkinTree& tree, const CSkinTreeNode* node)
{
    Paint(tree);
    const auto& visible = tree.Rows().VisibleNodes();
    const auto at = std::find(visible.begin(), visible.end(), node);
    if (at == visible.end())
        return false;
    const QRect button = tree.Rows().ExpandRects()[static_cast<std::size_t>(at - visible.begin())];
    if (button.isEmpty())
        return false;
    QTest::mouseClick(&tree, Qt::LeftButton, Qt::NoModifier, button.center());
    return true;
}

inline void ClickNode(CSkinTree& tree, const CSkinTreeNode* node)
{
    QTest::mouseClick(&tree, Qt::LeftButton, Qt::NoModifier, NodePoint(tree, node));
}

// Double-clicks a shown row of the list; false when the row is not on screen.
inline bool DoubleClickRow(CSkinList& list, const CSkinListNode* row)
{
    Paint(list);
    const auto& visible = list.Rows().VisibleRows();
    const auto at = std::find(visible.begin(), visible.end(), row);
    if (at == visible.end())
        return false;
    const QPoint centre
        = list.Rows().RowRects()[static_cast<std::size_t>(at - visible.begin())].center();
    // As the system delivers a double click: press, release, the double click, release.
    QTest::mouseClick(&list, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseDClick(&list, Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseRelease(&list, Qt::LeftButton, Qt::NoModifier, centre);
    return true;
}

inline QString TitleOf(const CSkinListNode* row)
{
    return row ? row->m_texts[static_cast<int>(ListSlot::Title)] : QString();
}

} // namespace session

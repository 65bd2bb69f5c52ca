// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CFolderWalk.h"

#include "CDBase.h"

#include <QDir>
#include <QFileInfo>


bool CFolderWalk::Walk(const QString& folder, int root, std::vector<WalkFile>& out)
{
    QSet<QString> visited;
    return WalkInto(QDir::fromNativeSeparators(QFileInfo(folder).absoluteFilePath()), root, out,
        visited);
}

bool CFolderWalk::WalkPath(const QString& path, int root, std::vector<WalkFile>& out)
{
    const QFileInfo info(path);
    const int type = CDBase::FileTypeCode(path);
    if (info.isFile() && type != 0) {
        out.push_back({QDir::fromNativeSeparators(info.absoluteFilePath()), type, root});
        return !m_cancel.load(std::memory_order_relaxed);
    }
    return Walk(path, root, out);
}

// visited holds the canonical paths of the folders entered so far, so a link back up the
// tree (or to a sibling already walked) cannot make the walk endless.
bool CFolderWalk::WalkInto(const QString& folder, int root, std::vector<WalkFile>& out,
    QSet<QString>& visited)
{
    if (m_cancel.load(std::memory_order_relaxed))
        return false;
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable()) {
        m_incomplete = true;
        return true;
    }
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return true;
    visited.insert(canonical);
    const QDir dir(folder);
    const QFileInfoList entries = dir.entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDir::Name | QDir::IgnoreCase);
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    for (const QFileInfo& entry : entries) {
        if (m_cancel.load(std::memory_order_relaxed))
            return false;
        if (entry.isDir()) {
            if (!WalkInto(prefix + entry.fileName(), root, out, visited))
                return false;
            continue;
        }
        const int type = CDBase::FileTypeCode(entry.fileName());
        if (type != 0 && entry.isFile())
            out.push_back({prefix + entry.fileName(), type, root});
    }
    return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CFolderWalk.h"

#include "CDBase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {

struct FolderEntry {
    QString name;
    bool isDir = false;
};

#ifdef Q_OS_UNIX
// One readdir pass: the entry types come with the names, so only links and file systems that
// give no type cost a stat. The identity of a folder is its device and inode.
bool ListFolder(const QString& folder, std::vector<FolderEntry>& entries, QString& identity)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(QFile::encodeName(folder).constData()),
        closedir);
    struct stat info {};
    if (!dir || fstat(dirfd(dir.get()), &info) != 0)
        return false;
    identity = QStringLiteral("%1:%2").arg(info.st_dev).arg(info.st_ino);
    while (const dirent* entry = readdir(dir.get())) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        bool isDir = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat target {};
            isDir = fstatat(dirfd(dir.get()), name, &target, 0) == 0 && S_ISDIR(target.st_mode);
        }
        entries.push_back({QFile::decodeName(name), isDir});
    }
    return true;
}
#else
bool ListFolder(const QString& folder, std::vector<FolderEntry>& entries, QString& identity)
{
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable())
        return false;
    identity = info.canonicalFilePath().toLower();
    const QFileInfoList list = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : list)
        entries.push_back({entry.fileName(), entry.isDir()});
    return true;
}
#endif

} // namespace

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

// visited holds the identities of the folders entered so far, so a link back up the tree (or
// to a folder already walked) cannot make the walk endless.
bool CFolderWalk::WalkInto(const QString& folder, int root, std::vector<WalkFile>& out,
    QSet<QString>& visited)
{
    if (m_cancel.load(std::memory_order_relaxed))
        return false;
    std::vector<FolderEntry> entries;
    QString identity;
    if (!ListFolder(folder, entries, identity)) {
        m_incomplete = true;
        return true;
    }
    if (visited.contains(identity))
        return true;
    visited.insert(identity);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const int order = a.name.compare(b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    for (const FolderEntry& entry : entries) {
        if (m_cancel.load(std::memory_order_relaxed))
            return false;
        if (entry.isDir) {
            if (!WalkInto(prefix + entry.name, root, out, visited))
                return false;
            continue;
        }
        const int type = CDBase::FileTypeCode(entry.name);
        if (type != 0)
            out.push_back({prefix + entry.name, type, root});
    }
    return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CFolderWalk.h"

#include "CDBase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <utility>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {

struct FolderEntry {
    QString name;
    bool isDir = false;
    int type = 0; // file type code of a file with a music extension, else 0
    bool examined = false;
    bool regular = false;
    std::int64_t size = 0;
    std::int64_t modified = 0;
};

#ifdef Q_OS_UNIX
void Examined(FolderEntry& entry, bool found, const struct stat& info)
{
    entry.examined = true;
    entry.regular = found && S_ISREG(info.st_mode);
    entry.size = static_cast<std::int64_t>(info.st_size);
    entry.modified = static_cast<std::int64_t>(info.st_mtime);
}

// An entry of the folder open as fd; links are followed.
FolderEntry ReadEntry(int fd, const dirent& entry)
{
    FolderEntry item{QFile::decodeName(entry.d_name)};
    item.isDir = entry.d_type == DT_DIR;
    struct stat target {};
    bool statted = false;
    bool found = false;
    if (entry.d_type == DT_LNK || entry.d_type == DT_UNKNOWN) {
        statted = true;
        found = fstatat(fd, entry.d_name, &target, 0) == 0;
        item.isDir = found && S_ISDIR(target.st_mode);
    }
    item.type = item.isDir ? 0 : CDBase::FileTypeCode(item.name);
    if (item.type != 0) {
        if (!statted)
            found = fstatat(fd, entry.d_name, &target, 0) == 0;
        Examined(item, found, target);
    }
    return item;
}

// One readdir pass: the entry types come with the names, so only links and file systems that
// give no type cost a stat before the music files are examined, each relative to the open
// folder. The identity of a folder is its device and inode.
bool ListFolder(const QString& folder, std::vector<FolderEntry>& entries, std::string& identity)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(QFile::encodeName(folder).constData()),
        closedir);
    struct stat info {};
    const int fd = dir ? dirfd(dir.get()) : -1;
    if (!dir || fstat(fd, &info) != 0)
        return false;
    identity.assign(reinterpret_cast<const char*>(&info.st_dev), sizeof info.st_dev);
    identity.append(reinterpret_cast<const char*>(&info.st_ino), sizeof info.st_ino);
    while (const dirent* entry = readdir(dir.get())) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        entries.push_back(ReadEntry(fd, *entry));
    }
    return true;
}
#else
bool ListFolder(const QString& folder, std::vector<FolderEntry>& entries, std::string& identity)
{
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable())
        return false;
    identity = info.canonicalFilePath().toLower().toStdString();
    const QFileInfoList list = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : list) {
        FolderEntry item{entry.fileName(), entry.isDir()};
        item.type = item.isDir ? 0 : CDBase::FileTypeCode(item.name);
        entries.push_back(std::move(item));
    }
    return true;
}
#endif

} // namespace

bool CFolderWalk::Walk(const QString& folder, int root, std::vector<WalkFile>& out)
{
    std::unordered_set<std::string> visited;
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
    std::unordered_set<std::string>& visited)
{
    if (m_cancel.load(std::memory_order_relaxed))
        return false;
    std::vector<FolderEntry> entries;
    std::string identity;
    if (!ListFolder(folder, entries, identity)) {
        m_incomplete = true;
        return true;
    }
    if (!visited.insert(std::move(identity)).second)
        return true;
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
        if (entry.type != 0)
            out.push_back({prefix + entry.name, entry.type, root, entry.examined, entry.regular,
                entry.size, entry.modified});
    }
    return true;
}

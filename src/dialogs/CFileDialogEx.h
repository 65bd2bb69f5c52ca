// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QString>
#include <QVector>

class QWidget;

// One entry of a file picker's type list: a description and ";"-separated patterns.
struct FileFilter {
    QString description;
    QString pattern;
};

// The picker the program uses for folders and files (the platform's own dialog where it has
// one). UI thread only; each pick is modal.
class CFileDialogEx {
public:
    // Filters of the commands that pick audio files and playlist files.
    static QVector<FileFilter> AudioFilters();
    static QVector<FileFilter> PlaylistFilters();

    void SetTitle(const QString& title) { m_title = title; }
    void AddFilter(const QString& description, const QString& pattern);
    void SetFilters(const QVector<FileFilter>& filters) { m_filters = filters; }
    const QVector<FileFilter>& Filters() const { return m_filters; }

    // Lets the user choose one folder. True with a non-empty path in GetPath().
    bool PickFolder(QWidget* owner, const QString& title);
    // Lets the user choose one existing file through the filters. True with its full path.
    bool PickFile(QWidget* owner);
    const QString& GetPath() const { return m_path; }

    // The filters as "description|pattern|...|" (the classic form, one final "|").
    QString FilterString() const;
    // The filters as Qt name filters: each description without its own "(...)" suffix,
    // followed by the patterns in parentheses, separated by blanks.
    QStringList NameFilters() const;

private:
    QString m_title;
    QString m_path;
    QVector<FileFilter> m_filters;
};

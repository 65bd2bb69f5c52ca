// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CFileDialogEx.h"

#include <QFileDialog>
#include <QRegularExpression>

#include <array>

namespace {

struct FilterText {
    const char* description;
    const char* pattern;
};

constexpr std::array<FilterText, 12> kAudioFilters = {{
    {"All Audio Files",
        "*.mp3;*.ogg;*.wma;*.flac;*.ape;*.aac;*.mp4;*.m4a;*.opus;*.wav;*.aiff;*.aif;*.wv;*.mpc"},
    {"MPEG Audio (*.mp3)", "*.mp3"},
    {"OGG Vorbis (*.ogg)", "*.ogg"},
    {"Windows Media Audio (*.wma)", "*.wma"},
    {"Free Lossless Audio Codec (*.flac)", "*.flac"},
    {"Monkey's Audio (*.ape)", "*.ape"},
    {"Apple Audio (*.aac; *.mp4; *.m4a)", "*.aac;*.mp4;*.m4a"},
    {"Opus (*.opus)", "*.opus"},
    {"Waveform Audio (*.wav)", "*.wav"},
    {"Audio Interchange File Format (*.aiff; *.aif)", "*.aiff;*.aif"},
    {"WavPack (*.wv)", "*.wv"},
    {"Musepack (*.mpc)", "*.mpc"},
}};

constexpr std::array<FilterText, 5> kPlaylistFilters = {{
    {"All Playlists", "*.m3u;*.m3u8;*.pls;*.asx;*.xspf"},
    {"M3U Playlist (*.m3u; *.m3u8)", "*.m3u;*.m3u8"},
    {"PLS Playlist (*.pls)", "*.pls"},
    {"Advanced Stream Redirector (*.asx)", "*.asx"},
    {"XML Shareable Playlist Format (*.xspf)", "*.xspf"},
}};

template <std::size_t N>
QVector<FileFilter> ToFilters(const std::array<FilterText, N>& texts)
{
    QVector<FileFilter> filters;
    for (const FilterText& t : texts) {
        filters.append({QString::fromUtf8(t.description), QString::fromUtf8(t.pattern)});
    }
    return filters;
}

} // namespace

QVector<FileFilter> CFileDialogEx::AudioFilters()
{
    return ToFilters(kAudioFilters);
}

QVector<FileFilter> CFileDialogEx::PlaylistFilters()
{
    return ToFilters(kPlaylistFilters);
}

void CFileDialogEx::AddFilter(const QString& description, const QString& pattern)
{
    m_filters.append({description, pattern});
}

QString CFileDialogEx::FilterString() const
{
    QString text;
    for (const FileFilter& f : m_filters) {
        text += f.description + QLatin1Char('|') + f.pattern + QLatin1Char('|');
    }
    return text + QLatin1Char('|');
}

QStringList CFileDialogEx::NameFilters() const
{
    // Qt reads the patterns from the last parentheses and splits them at blanks only, so a
    // description's own "(*.aac; *.mp4)" would give broken patterns.
    static const QRegularExpression kSuffix(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList names;
    for (const FileFilter& f : m_filters) {
        QString description = f.description;
        description.remove(kSuffix);
        QString patterns = f.pattern;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        names << description + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
    }
    return names;
}

bool CFileDialogEx::PickFolder(QWidget* owner, const QString& title)
{
    m_title = title;
    QFileDialog dialog(owner, title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    m_path = dialog.selectedFiles().constFirst();
    return !m_path.isEmpty();
}

bool CFileDialogEx::PickFile(QWidget* owner)
{
    QFileDialog dialog(owner, m_title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, true);
    dialog.setNameFilters(NameFilters());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    m_path = dialog.selectedFiles().constFirst();
    return !m_path.isEmpty();
}

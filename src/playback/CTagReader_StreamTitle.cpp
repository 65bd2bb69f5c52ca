// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CTagReader.h"

namespace {

bool IsBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\v' || u == u'\f' || u == u'\r';
}

// Stream titles are trimmed of the six ASCII blanks only; QString::trimmed() would also eat
// other Unicode spaces that belong to the text.
QString TrimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// "Song (Album)": the text in the first parentheses becomes the album, unless nothing of the
// title would remain.
void SplitAlbum(QString& title, QString& album)
{
    const QString whole = title;
    const qsizetype open = whole.indexOf(u'(');
    if (open < 0)
        return;
    const qsizetype close = whole.indexOf(u')');
    if (close > open + 1) {
        title = whole.left(open);
        album = TrimBlanks(whole.mid(open + 1, close - open - 1));
    }
    title = TrimBlanks(title);
    if (title.isEmpty()) {
        album.clear();
        title = whole;
    }
}

} // namespace

void CTagReader::SplitStreamTitle(
    const QString& meta, QString& title, QString& artist, QString& album)
{
    if (meta.isEmpty())
        return;
    const qsizetype open = meta.indexOf(QLatin1String("='"));
    const qsizetype close = meta.indexOf(QLatin1String("';"));
    if (open < 0 || close <= open + 2)
        return;
    const QString text = TrimBlanks(meta.mid(open + 2, close - open - 2));
    if (text.isEmpty())
        return;
    const qsizetype dash = text.indexOf(QLatin1String(" - "));
    if (dash > 0) {
        title = text.mid(dash + 3);
        artist = TrimBlanks(text.left(dash));
    } else {
        title = text;
    }
    title = TrimBlanks(title);
    if (title.isEmpty()) {
        artist.clear();
        title = text;
    }
    SplitAlbum(title, album);
}

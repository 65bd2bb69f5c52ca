// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// A stream's metadata text through the title splitter, starting from empty and from filled
// fields (the splitter changes only some of them).
#include "CTagReader.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString meta = QString::fromUtf8(reinterpret_cast<const char*>(data),
        static_cast<qsizetype>(size));
    QString title, artist, album;
    CTagReader::SplitStreamTitle(meta, title, artist, album);
    QString title2 = QStringLiteral("Station"), artist2 = QStringLiteral("Host"),
            album2 = QStringLiteral("Show");
    CTagReader::SplitStreamTitle(meta, title2, artist2, album2);
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Playlist bytes of one format (chosen at build time) through the reader, as an http answer or
// a file would give them; also the format sniffing that decides whether bytes are a playlist.
#include "CPlsFile.h"
#include "FuzzSupport.h"

#define FUZZ_TEXT(x) #x
#define FUZZ_NAME(x) FUZZ_TEXT(x)

namespace {

PlsFormat Format()
{
    static const PlsFormat format
        = CPlsFile::FormatFromExtension(QStringLiteral(FUZZ_NAME(FUZZ_PLAYLIST_FORMAT)));
    return format;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    CPlsFile relative;
    relative.ReadBytes(bytes, Format(), QString());
    CPlsFile resolved;
    if (resolved.ReadBytes(bytes, Format(), QStringLiteral("/music/lists"))) {
        for (int i = 0; i < resolved.GetCount(); ++i)
            (void)resolved.IsStream(i);
    }
    (void)CPlsFile::SniffFormat(bytes.left(512), QString());
    return 0;
}

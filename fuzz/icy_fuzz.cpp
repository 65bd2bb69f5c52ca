// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The answer header and the ICY framing in process. The input is an answer: its header up to
// the blank line goes to the header reader, the rest is a body deframed twice, whole and in
// pieces cut where the input says; both must give the same audio, titles and end state, since
// the network may cut a body anywhere.
#include "CIcyDeframer.h"
#include "FuzzSupport.h"
#include "HttpHeader.h"

#include <QList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

struct Result {
    QByteArray audio;
    QList<QByteArray> titles;
    bool failed = false;
    bool atBoundary = false;
};

Result Deframe(std::int64_t interval, QByteArray body, std::uint32_t cuts)
{
    Result result;
    CIcyDeframer deframer(interval);
    deframer.SetMetaHandler([&result](const QByteArray& text) { result.titles.append(text); });
    auto* data = reinterpret_cast<std::uint8_t*>(body.data());
    const auto size = static_cast<int>(body.size());
    for (int at = 0; at < size;) {
        int piece = size - at;
        if (cuts != 0) {
            cuts = cuts * 1103515245u + 12345u;
            piece = std::min(piece, 1 + static_cast<int>((cuts >> 16) % 97));
        }
        const int audio = deframer.Feed(data + at, piece);
        if (audio < 0 || audio > piece)
            std::abort();
        result.audio.append(reinterpret_cast<const char*>(data + at), audio);
        at += piece;
    }
    result.failed = deframer.Failed();
    result.atBoundary = deframer.AtBoundary();
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input = fuzz::Bytes(data, size);
    const qsizetype blank = input.indexOf("\r\n\r\n");
    const qsizetype split = blank < 0 ? input.size() : blank + 4;
    const std::optional<HttpHeader> header = ParseHttpHeader(input.left(split));
    std::int64_t interval = header ? header->metaInterval : 0;
    // The player refuses other intervals; small ones still let the framing itself be fuzzed.
    if (interval <= 0 || interval > (1 << 20))
        interval = 1 + static_cast<std::int64_t>(size % 61);
    const QByteArray body = input.mid(split);
    const Result whole = Deframe(interval, body, 0);
    const Result cut = Deframe(interval, body, static_cast<std::uint32_t>(size) | 1u);
    if (whole.audio != cut.audio || whole.titles != cut.titles || whole.failed != cut.failed
        || whole.atBoundary != cut.atBoundary) {
        std::fprintf(stderr, "deframing depends on where the body was cut\n");
        std::abort();
    }
    return 0;
}

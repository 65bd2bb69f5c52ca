// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <functional>

// Takes the ICY metadata blocks out of a radio answer's body as it arrives, in pieces of any
// size. After every metaInterval bytes of audio the server sends one length byte and then
// length * 16 bytes of "key='value';" text padded with NULs.
//
// Works on the caller's buffer in place and holds at most one block, so what a server sends
// can never make memory grow. Not thread-safe: one reading thread feeds it.
class CIcyDeframer final {
public:
    static constexpr int kMaxMetaBytes = 255 * 16;

    // metaInterval 0 means the body carries no metadata and passes through whole.
    explicit CIcyDeframer(std::int64_t metaInterval = 0);

    void Reset(std::int64_t metaInterval);

    // Called from Feed with each metadata text that differs from the one before it.
    void SetMetaHandler(std::function<void(const QByteArray&)> handler);

    // Removes the metadata from data[0, size) and returns how many audio bytes remain at the
    // front of data. A malformed block stops the deframer: the audio before it is still
    // returned, every later call returns 0 and Failed() tells why.
    int Feed(std::uint8_t* data, int size);

    bool Failed() const { return m_state == State::Failed; }
    // Whether the body may end here without cutting a metadata block short.
    bool AtBoundary() const { return m_state == State::Audio || m_state == State::Length; }

private:
    enum class State { Audio, Length, Block, Failed };

    void FinishBlock();

    std::int64_t m_interval = 0;
    State m_state = State::Audio;
    std::int64_t m_untilMeta = 0;
    int m_blockSize = 0;
    int m_blockHave = 0;
    QByteArray m_lastMeta;
    std::function<void(const QByteArray&)> m_onMeta;
    std::array<std::uint8_t, kMaxMetaBytes> m_block{};
};

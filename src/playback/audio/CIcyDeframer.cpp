// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CIcyDeframer.h"

#include <algorithm>
#include <cstring>

namespace {

// A block is "key='value';" pairs padded with NULs to its length; anything else means the
// framing was lost and what follows is not audio either.
bool IsWellFormedMeta(const std::uint8_t* data, int size, int& textLength)
{
    const auto* end = data + size;
    const auto* nul = std::find(data, end, std::uint8_t{0});
    textLength = static_cast<int>(nul - data);
    if (std::any_of(nul, end, [](std::uint8_t c) { return c != 0; }))
        return false;
    if (textLength == 0)
        return true;
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char*>(data), textLength)
                                .trimmed();
    const int eq = text.indexOf("='");
    return eq > 0 && (text.endsWith('\'') || text.endsWith("';"));
}

} // namespace

CIcyDeframer::CIcyDeframer(std::int64_t metaInterval)
{
    Reset(metaInterval);
}

void CIcyDeframer::Reset(std::int64_t metaInterval)
{
    m_interval = std::max<std::int64_t>(metaInterval, 0);
    m_state = State::Audio;
    m_untilMeta = m_interval;
    m_blockSize = 0;
    m_blockHave = 0;
    m_lastMeta.clear();
}

void CIcyDeframer::SetMetaHandler(std::function<void(const QByteArray&)> handler)
{
    m_onMeta = std::move(handler);
}

int CIcyDeframer::Feed(std::uint8_t* data, int size)
{
    if (m_interval == 0)
        return std::max(size, 0);
    int in = 0;
    int out = 0;
    while (in < size && m_state != State::Failed) {
        switch (m_state) {
        case State::Audio: {
            const int n = static_cast<int>(std::min<std::int64_t>(size - in, m_untilMeta));
            if (out != in)
                std::memmove(data + out, data + in, static_cast<std::size_t>(n));
            in += n;
            out += n;
            m_untilMeta -= n;
            if (m_untilMeta == 0)
                m_state = State::Length;
            break;
        }
        case State::Length:
            m_blockSize = data[in++] * 16;
            m_blockHave = 0;
            if (m_blockSize == 0) {
                m_state = State::Audio;
                m_untilMeta = m_interval;
            } else {
                m_state = State::Block;
            }
            break;
        case State::Block: {
            const int n = std::min(size - in, m_blockSize - m_blockHave);
            std::memcpy(m_block.data() + m_blockHave, data + in, static_cast<std::size_t>(n));
            in += n;
            m_blockHave += n;
            if (m_blockHave == m_blockSize)
                FinishBlock();
            break;
        }
        case State::Failed:
            break;
        }
    }
    return out;
}

void CIcyDeframer::FinishBlock()
{
    int textLength = 0;
    if (!IsWellFormedMeta(m_block.data(), m_blockSize, textLength)) {
        m_state = State::Failed;
        return;
    }
    m_state = State::Audio;
    m_untilMeta = m_interval;
    const QByteArray text(reinterpret_cast<const char*>(m_block.data()), textLength);
    if (text.isEmpty() || text == m_lastMeta)
        return;
    m_lastMeta = text;
    if (m_onMeta) {
        try {
            m_onMeta(text);
        } catch (...) {
            // A failing listener must not end the stream.
        }
    }
}

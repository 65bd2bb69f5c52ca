// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CFftAnalyzer.h"

extern "C" {
#include <libavutil/tx.h>
}

#include <cmath>
#include <numbers>
#include <stdexcept>

CFftAnalyzer::CFftAnalyzer()
{
    const float scale = 1.0f;
    av_tx_fn fn = nullptr;
    if (av_tx_init(&m_ctx, &fn, AV_TX_FLOAT_RDFT, 0, kSize, &scale, 0) < 0 || !m_ctx)
        throw std::runtime_error("av_tx_init failed");
    m_fn = fn;
    for (int i = 0; i < kSize; ++i)
        m_window[static_cast<std::size_t>(i)] = static_cast<float>(
            0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kSize));
}

CFftAnalyzer::~CFftAnalyzer()
{
    av_tx_uninit(&m_ctx);
}

void CFftAnalyzer::Compute(std::span<const float, kSize> samples, std::array<float, kFftBins>& out)
{
    for (std::size_t i = 0; i < m_in.size(); ++i)
        m_in[i] = samples[i] * m_window[i];
    m_fn(m_ctx, m_out.data(), m_in.data(), sizeof(float) * 2);
    constexpr float norm = 2.0f / kSize;
    for (std::size_t k = 0; k < out.size(); ++k) {
        const float re = m_out[2 * k];
        const float im = m_out[2 * k + 1];
        out[k] = std::min(1.0f, std::sqrt(re * re + im * im) * norm);
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "IAudioLib.h"

#include <array>
#include <span>

struct AVTXContext;

// Magnitude spectrum of 2048 mono samples through libavutil's real FFT (av_tx), Hann window.
// Bin k stands for k × rate / 2048 Hz and holds 2|X[k]| / 2048, so every bin lies in 0..1 and
// a full-scale sine peaks near 0.5 (the window halves the peak). One object per thread.
class CFftAnalyzer {
public:
    static constexpr int kSize = 2 * kFftBins;

    // Throws std::runtime_error when the transform cannot be set up.
    CFftAnalyzer();
    ~CFftAnalyzer();
    CFftAnalyzer(const CFftAnalyzer&) = delete;
    CFftAnalyzer& operator=(const CFftAnalyzer&) = delete;

    void Compute(std::span<const float, kSize> samples, std::array<float, kFftBins>& out);

private:
    AVTXContext* m_ctx = nullptr;
    void (*m_fn)(AVTXContext*, void*, void*, std::ptrdiff_t) = nullptr;
    std::array<float, kSize> m_window{};
    alignas(64) std::array<float, kSize> m_in{};
    alignas(64) std::array<float, kSize + 2> m_out{};
};

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

// The steady equalizer cascade as a software pipeline. Included only by the files that
// build it for one instruction set each; everything here has internal linkage, so that code
// built for a wider instruction set never stands in for the portable copy at link time.
//
// Each biquad recursion waits on its own previous output, so one band on one side keeps
// the processor idle most of the time. Here every band of both sides advances at once, in
// wide registers: at step n band k filters frame n - 3k, taking the output band k - 1 made
// of that frame three steps earlier (or frame n - 2k, two steps). Band k sits in register
// k % R at lane pair k / R (left, right), so that its input is the same lanes of the
// previous register; only the first register takes the last one's lanes moved up by one
// pair, with the new frame entering at pair 0. The filter is the scalar one's Direct Form I,
// on the same state.
#include "AudioDsp.h"

#include <cstddef>
#include <cstring>

namespace dsp {
namespace {

// T supplies the vector type V (T::kLanes floats), its lane mask type M, kFused (whether
// Fma(a, b, c) = a × b + c rounds once), Delay(R): the steps between neighbouring bands (2
// or 3), Enter(last, frame): last moved up by one lane pair with the frame at pair 0, and
// Leave(last, frame): the top pair into the frame.
template <class T, int R>
class CascadeKernel {
public:
    using V = typename T::V;
    using M = typename T::M;
    static constexpr int kPairs = T::kLanes / 2;
    static constexpr int kSlots = R * kPairs;
    // Two or three steps apart, not one, so that no step waits on the steps just before it;
    // three where the registers hold the extra outputs in flight.
    static constexpr int kDelay = T::Delay(R);
    static constexpr int kDepth = kDelay * (kSlots - 1);

    CascadeKernel(BiquadBand* const* bands, int count)
        : m_bands(bands)
        , m_count(count)
    {
        float lanes[5][R][T::kLanes]{};
        for (int k = 0; k < kSlots; ++k) {
            // Slots past the last band pass their input through.
            float values[5] = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
            if (k < count) {
                const BiquadCoeffs& c = bands[k]->current;
                values[0] = c.b0;
                values[1] = c.b1;
                values[2] = c.b2;
                values[3] = -c.a1;
                values[4] = -c.a2;
            }
            for (int side = 0; side < 2; ++side) {
                const int lane = 2 * (k / R) + side;
                for (int i = 0; i < 5; ++i)
                    lanes[i][k % R][lane] = values[i];
                m_slot[k % R][lane] = kDelay * k; // the frame offset of the band
                if (k < count)
                    for (int i = 0; i < 4; ++i)
                        m_state[i][k % R][lane] = bands[k]->state[side][i];
            }
        }
        for (int r = 0; r < R; ++r) {
            std::memcpy(&m_c.b0[r], lanes[0][r], sizeof(V));
            std::memcpy(&m_c.b1[r], lanes[1][r], sizeof(V));
            std::memcpy(&m_c.b2[r], lanes[2][r], sizeof(V));
            std::memcpy(&m_c.na1[r], lanes[3][r], sizeof(V));
            std::memcpy(&m_c.na2[r], lanes[4][r], sizeof(V));
            std::memcpy(&m_s.x1[r], m_state[0][r], sizeof(V));
            std::memcpy(&m_s.x2[r], m_state[1][r], sizeof(V));
            std::memcpy(&m_s.y1[r], m_state[2][r], sizeof(V));
            std::memcpy(&m_s.y2[r], m_state[3][r], sizeof(V));
            m_f.y1[r] = m_s.y1[r];
            m_f.y2[r] = m_s.y2[r];
            m_f.y3[r] = m_s.y2[r];
        }
    }

    // Runs the block through every band. The first and last kDepth steps are the pipeline
    // filling and draining: there a band whose frame lies outside the block keeps its state.
    void Run(float* stereo, int frames)
    {
        const int total = frames + kDepth;
        Steps<true>(stereo, frames, 0, kDepth);
        Steps<false>(stereo, frames, kDepth, frames);
        Steps<true>(stereo, frames, frames > kDepth ? frames : kDepth, total);
        Save();
    }

private:
    struct Coeffs {
        V b0[R], b1[R], b2[R], na1[R], na2[R];
    };
    struct Lanes {
        V x1[R], x2[R], y1[R], y2[R];
    };
    // The outputs of the last three steps, whether their bands were at work or not.
    struct Flight {
        V y1[R], y2[R], y3[R];
    };

    static V Filter(const Coeffs& c, const Lanes& s, int r, V x)
    {
        if constexpr (T::kFused) {
            // Five fused steps, the oldest terms first: the input arrives three steps after it
            // was made, the output before last two, the last output one.
            const V p = T::Fma(c.b0[r], x, T::Fma(c.b1[r], s.x1[r], c.b2[r] * s.x2[r]));
            return T::Fma(c.na1[r], s.y1[r], T::Fma(c.na2[r], s.y2[r], p));
        } else {
            // The scalar filter's order, so that the samples are the very same.
            const V p
                = (c.b0[r] * x + c.b1[r] * s.x1[r]) + (c.na2[r] * s.y2[r] + c.b2[r] * s.x2[r]);
            return c.na1[r] * s.y1[r] + p;
        }
    }

    // Steps [from, to). Coefficients and states are copied in and out, so that the compiler
    // keeps them in registers: the block might otherwise alias them. With every band at
    // work (not kMasked) the last two outputs in flight are the bands' states.
    template <bool kMasked>
    void Steps(float* stereo, int frames, int from, int to)
    {
        if (from >= to)
            return;
        const Coeffs c = m_c;
        Lanes s = m_s;
        Flight f = m_f;
        const float silence[2] = {0.0f, 0.0f};
        // Two steps per round bring every state back to the register it started in.
#pragma GCC unroll 2
        for (int t = from; t < to; ++t) {
            const V* back = kDelay == 3 ? f.y3 : kMasked ? f.y2 : s.y2;
            V in[R];
            in[0] = T::Enter(back[R - 1], !kMasked || t < frames ? stereo + 2 * t : silence);
            for (int r = 1; r < R; ++r)
                in[r] = back[r - 1];
            for (int r = 0; r < R; ++r) {
                const V y = Filter(c, s, r, in[r]);
                if constexpr (kMasked) {
                    const M active = (m_slot[r] <= M{} + t) & (m_slot[r] > M{} + (t - frames));
                    s.x2[r] = active ? s.x1[r] : s.x2[r];
                    s.x1[r] = active ? in[r] : s.x1[r];
                    s.y2[r] = active ? s.y1[r] : s.y2[r];
                    s.y1[r] = active ? y : s.y1[r];
                    f.y3[r] = f.y2[r];
                    f.y2[r] = f.y1[r];
                    f.y1[r] = y;
                } else {
                    if constexpr (kDelay == 3)
                        f.y3[r] = s.y2[r];
                    s.x2[r] = s.x1[r];
                    s.x1[r] = in[r];
                    s.y2[r] = s.y1[r];
                    s.y1[r] = y;
                }
            }
            if (!kMasked || t >= kDepth)
                T::Leave(s.y1[R - 1], stereo + 2 * (t - kDepth));
        }
        if constexpr (!kMasked) {
            for (int r = 0; r < R; ++r) {
                f.y1[r] = s.y1[r];
                f.y2[r] = s.y2[r];
            }
        }
        m_s = s;
        m_f = f;
    }

    void Save()
    {
        for (int r = 0; r < R; ++r) {
            std::memcpy(m_state[0][r], &m_s.x1[r], sizeof(V));
            std::memcpy(m_state[1][r], &m_s.x2[r], sizeof(V));
            std::memcpy(m_state[2][r], &m_s.y1[r], sizeof(V));
            std::memcpy(m_state[3][r], &m_s.y2[r], sizeof(V));
        }
        for (int k = 0; k < m_count; ++k)
            for (int side = 0; side < 2; ++side)
                for (int i = 0; i < 4; ++i)
                    m_bands[k]->state[side][i] = m_state[i][k % R][2 * (k / R) + side];
    }

    BiquadBand* const* m_bands;
    int m_count;
    float m_state[4][R][T::kLanes]{}; // x1, x2, y1, y2 per register and lane
    Coeffs m_c;
    Lanes m_s;
    Flight m_f;
    M m_slot[R]{};
};

// Runs the count bands through the kernel of T with as many registers as they need, in
// groups of at most kMaxRegisters (2 or 3) × kLanes / 2 bands.
template <class T, int kMaxRegisters>
void RunCascade(float* stereo, int frames, BiquadBand* const* bands, std::size_t count)
{
    constexpr int kPairs = T::kLanes / 2;
    constexpr std::size_t kMaxGroup = kMaxRegisters * kPairs;
    constexpr int kWidest = kMaxRegisters < 3 ? 2 : 3;
    while (count > 0) {
        const int group = static_cast<int>(count < kMaxGroup ? count : kMaxGroup);
        const int registers = (group + kPairs - 1) / kPairs;
        if (registers <= 1)
            CascadeKernel<T, 1>(bands, group).Run(stereo, frames);
        else if (registers == 2)
            CascadeKernel<T, 2>(bands, group).Run(stereo, frames);
        else
            CascadeKernel<T, kWidest>(bands, group).Run(stereo, frames);
        bands += group;
        count -= static_cast<std::size_t>(group);
    }
}

} // namespace
} // namespace dsp

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <array>
#include <span>

// Signal processing of the audio layer: plain functions over interleaved stereo float blocks
// (L R L R ...), with their state in small structs the caller owns. No allocation, no locks:
// they run inside the mixing callback.
namespace dsp {

// Frames over which a new gain or new filter coefficients are reached, so that a change
// never clicks (about 12 ms at 44100 Hz).
constexpr int kRampFrames = 512;

// Normalised biquad coefficients (a0 = 1).
struct BiquadCoeffs {
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
};

// RBJ "audio EQ cookbook" peaking filter: centre in Hz, bandwidth in octaves, gain in dB.
// The centre is kept below the Nyquist frequency of rate.
BiquadCoeffs PeakingCoeffs(double rate, double center, double bandwidthOctaves, double gainDb);

// One band of the equalizer: Direct Form I (it tolerates coefficient changes while running)
// with a linear glide from the current to the target coefficients. The glide stays stable:
// the stable (a1, a2) region is convex.
struct BiquadBand {
    BiquadCoeffs current;
    BiquadCoeffs target;
    BiquadCoeffs step;
    int rampLeft = 0;
    std::array<std::array<float, 4>, 2> state {}; // per side: x1, x2, y1, y2
    bool flat = true; // identity filter and no glide under way
};

// True for a filter that passes the signal unchanged (a band at 0 dB).
bool IsIdentity(const BiquadCoeffs& c);
// Starts a glide of band to coeffs over kRampFrames; a band at rest costs nothing.
void SetBiquadTarget(BiquadBand& band, const BiquadCoeffs& coeffs);
// Filters the stereo block in place.
void ProcessBiquad(std::span<float> stereo, BiquadBand& band);

// Filters the stereo block through every band in turn (bands at rest cost nothing), the
// same as ProcessBiquad band after band within float rounding. Runs of steady bands go
// through one pipelined cascade; a band in its glide takes the plain path in its place.
// Denormals are flushed to zero meanwhile (the caller's mode is restored).
void ProcessEqualizer(std::span<float> stereo, std::span<BiquadBand> bands);

// A gain that glides to its target over kRampFrames.
struct GainRamp {
    float current = 1.0f;
    float target = 1.0f;
    float step = 0.0f;
    int rampLeft = 0;
};

void SetGainTarget(GainRamp& gain, float target);
// The same over a glide of the given length (at least one frame).
void SetGainTarget(GainRamp& gain, float target, int frames);
// Multiplies the stereo block by the gain, in place.
void ApplyGain(std::span<float> stereo, GainRamp& gain);

// A limiter that holds samples at or under full scale and leaves alone a signal that stays
// there: where a frame would go above 1.0 its gain drops at once to just what fits, and
// afterwards climbs back toward 1 by the release share per frame. It reshapes no waveform,
// so it sounds like a fast gain rider rather than clipping.
struct PeakLimiter {
    float gain = 1.0f;
    float release = 0.0f; // share of the distance to 1 made up per frame
};

// The release share for a recovery time constant of seconds at rate Hz.
float LimiterRelease(double rate, double seconds);
void LimitPeaks(std::span<float> stereo, PeakLimiter& limiter);

// Adds in × (start + i × step) for frame i into out (both stereo, same length); the volume
// slide of a channel on its way into the mix.
void MixWithRamp(std::span<float> out, std::span<const float> in, float start, float step);

} // namespace dsp

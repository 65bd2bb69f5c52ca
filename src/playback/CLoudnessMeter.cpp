// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CLoudnessMeter.h"

#include "TagGain.h"
#include "audio/CAudioLib.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

namespace {

constexpr unsigned kChannels = 2;
constexpr unsigned long kRate = 44100; // decode-only channels are always at this rate
constexpr std::size_t kBlockFloats = 2 * 16384;

struct StateFree {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using State = std::unique_ptr<ebur128_state, StateFree>;

// The gain toward the reference, within the limits a tag's gain is held to.
std::optional<double> GainFor(double lufs)
{
    if (!std::isfinite(lufs))
        return std::nullopt;
    return std::clamp(CLoudnessMeter::kReferenceLufs - lufs, -kMaxTagGainDb, kMaxTagGainDb);
}

// Feeds the whole file to a new state; null when it cannot be decoded or holds nothing.
State MeasureFile(CAudioLib& layer, const QString& file, std::vector<float>& block)
{
    const HCHANNEL channel = layer.StreamCreateFile(file, true);
    if (channel == 0)
        return nullptr;
    // The histogram keeps the memory of a state fixed however long the file plays.
    State state(ebur128_init(kChannels, kRate,
        EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK | EBUR128_MODE_HISTOGRAM));
    std::size_t frames = 0;
    while (state) {
        const std::size_t n = layer.ChannelGetData(channel, block);
        if (n == 0)
            break;
        if (ebur128_add_frames_float(state.get(), block.data(), n / kChannels) != EBUR128_SUCCESS)
            state.reset();
        frames += n / kChannels;
    }
    layer.StreamFree(channel);
    return frames > 0 ? std::move(state) : nullptr;
}

double PeakOf(ebur128_state* state)
{
    double peak = 0.0;
    for (unsigned c = 0; c < kChannels; ++c) {
        double value = 0.0;
        if (ebur128_sample_peak(state, c, &value) == EBUR128_SUCCESS)
            peak = std::max(peak, value);
    }
    return peak;
}

} // namespace

std::vector<CLoudnessMeter::Result> CLoudnessMeter::Measure(const std::vector<Track>& tracks,
    const Progress& progress)
{
    std::vector<Result> results(tracks.size());
    // Album by album, so that only one album's states are held at a time.
    std::vector<std::size_t> order(tracks.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
        [&](std::size_t a, std::size_t b) { return tracks[a].album < tracks[b].album; });

    CAudioLib layer;
    std::vector<float> block(kBlockFloats);
    int done = 0;
    for (std::size_t from = 0; from < order.size();) {
        const QString& album = tracks[order[from]].album;
        std::size_t to = from + 1;
        while (to < order.size() && !album.isEmpty() && tracks[order[to]].album == album)
            ++to;
        std::vector<State> states;
        std::vector<std::size_t> members;
        double albumPeak = 0.0;
        for (std::size_t k = from; k < to; ++k) {
            const std::size_t index = order[k];
            State state = MeasureFile(layer, tracks[index].file, block);
            if (state) {
                double lufs = 0.0;
                Result& r = results[index];
                if (ebur128_loudness_global(state.get(), &lufs) == EBUR128_SUCCESS)
                    r.gains.trackGain = GainFor(lufs);
                const double peak = PeakOf(state.get());
                if (peak > 0.0)
                    r.gains.trackPeak = peak;
                albumPeak = std::max(albumPeak, peak);
                r.measured = r.gains.trackGain.has_value();
                if (r.measured) {
                    states.push_back(std::move(state));
                    members.push_back(index);
                }
            }
            if (progress && !progress(++done))
                return results;
        }
        if (!album.isEmpty() && !states.empty()) {
            std::vector<ebur128_state*> raw;
            for (const State& s : states)
                raw.push_back(s.get());
            double lufs = 0.0;
            if (ebur128_loudness_global_multiple(raw.data(), raw.size(), &lufs) == EBUR128_SUCCESS) {
                for (const std::size_t index : members) {
                    results[index].gains.albumGain = GainFor(lufs);
                    if (albumPeak > 0.0)
                        results[index].gains.albumPeak = albumPeak;
                }
            }
        }
        from = to;
    }
    return results;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <span>

// A lock-free ring of float samples for exactly one producer thread and one consumer thread.
// The producer is a channel's decoder thread, the consumer the mixing callback; neither ever
// blocks or allocates here. Any other use (Clear) needs both sides stopped by the caller.
class CRingBuffer {
public:
    // capacity in samples; fixed for the buffer's life.
    explicit CRingBuffer(std::size_t capacity);

    std::size_t Capacity() const { return m_capacity; }

    // Producer side: how many samples Write would take now, and the write itself (returns the
    // number of samples taken, at most the free space).
    std::size_t FreeSpace() const;
    std::size_t Write(std::span<const float> samples);

    // Consumer side: how many samples are waiting, and the read (returns the number of
    // samples copied into out, at most what is waiting).
    std::size_t Available() const;
    std::size_t Read(std::span<float> out);

    // Empties the ring. Only while neither the producer nor the consumer runs.
    void Clear();

private:
    std::size_t m_capacity;
    std::unique_ptr<float[]> m_data;
    // Monotonic counters of samples written and read (never wrapped to the capacity, so full
    // and empty are told apart without a spare slot). Each is stored by one side only.
    alignas(64) std::atomic<std::size_t> m_written{0};
    alignas(64) std::atomic<std::size_t> m_read{0};
};

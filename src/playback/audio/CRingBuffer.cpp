// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CRingBuffer.h"

#include <algorithm>

// Memory orders: a side loads its own counter relaxed (only it stores that counter), loads the
// other side's counter with acquire (so the samples the other side published, or the slots it
// released, are visible before we touch them) and publishes its own counter with release (so
// the samples copied in, or the reads out of the slots, happen before the other side sees the
// new count).

CRingBuffer::CRingBuffer(std::size_t capacity)
    : m_capacity(std::max<std::size_t>(capacity, 1))
    , m_data(std::make_unique<float[]>(m_capacity))
{
}

std::size_t CRingBuffer::FreeSpace() const
{
    const std::size_t written = m_written.load(std::memory_order_relaxed);
    const std::size_t read = m_read.load(std::memory_order_acquire);
    return m_capacity - (written - read);
}

std::size_t CRingBuffer::Write(std::span<const float> samples)
{
    const std::size_t written = m_written.load(std::memory_order_relaxed);
    const std::size_t read = m_read.load(std::memory_order_acquire);
    const std::size_t count = std::min(samples.size(), m_capacity - (written - read));
    const std::size_t start = written % m_capacity;
    const std::size_t first = std::min(count, m_capacity - start);
    std::copy_n(samples.data(), first, m_data.get() + start);
    std::copy_n(samples.data() + first, count - first, m_data.get());
    m_written.store(written + count, std::memory_order_release);
    return count;
}

std::size_t CRingBuffer::Available() const
{
    const std::size_t read = m_read.load(std::memory_order_relaxed);
    const std::size_t written = m_written.load(std::memory_order_acquire);
    return written - read;
}

std::size_t CRingBuffer::Read(std::span<float> out)
{
    const std::size_t read = m_read.load(std::memory_order_relaxed);
    const std::size_t written = m_written.load(std::memory_order_acquire);
    const std::size_t count = std::min(out.size(), written - read);
    const std::size_t start = read % m_capacity;
    const std::size_t first = std::min(count, m_capacity - start);
    std::copy_n(m_data.get() + start, first, out.data());
    std::copy_n(m_data.get(), count - first, out.data() + first);
    m_read.store(read + count, std::memory_order_release);
    return count;
}

void CRingBuffer::Clear()
{
    // Both sides are stopped; relaxed is enough, the caller's own synchronisation (the thread
    // join and the layer mutex) orders these stores before either side runs again.
    m_read.store(m_written.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

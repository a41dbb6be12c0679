// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/StreamWatchdog.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

StreamWatchdog::StreamWatchdog(int boundMs)
    : m_boundMs(boundMs)
    , m_thread([this] { watch(); })
{
}

StreamWatchdog::~StreamWatchdog()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void StreamWatchdog::arm(const QString& label, const QByteArray& stream)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_armed = true;
        ++m_generation;
        m_label = label;
        m_stream = stream;
    }
    m_wake.notify_all();
}

void StreamWatchdog::disarm()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_armed = false;
    m_stream = QByteArray();
}

void StreamWatchdog::watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        if (!m_armed) {
            m_wake.wait(lock);
            continue;
        }
        const quint64 generation = m_generation;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_boundMs);
        const bool moved = m_wake.wait_until(lock, deadline, [&] {
            return m_stopping || !m_armed || m_generation != generation;
        });
        if (moved)
            continue;
        std::fprintf(stderr, "HANG: %s ran for more than %d ms\nstream (%lld bytes): %s\n", qPrintable(m_label),
                     m_boundMs, static_cast<long long>(m_stream.size()), m_stream.toHex(' ').constData());
        std::fflush(stderr);
        std::abort();
    }
}

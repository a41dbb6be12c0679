// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

// Guards robustness tests against hangs: arm() before feeding a stream,
// disarm() after. Should one stream run past the bound, the watchdog prints
// the label and the stream in hex to standard error and aborts the program,
// so a hang names the stream to replay instead of ending in a bare ctest
// time-out.
class StreamWatchdog {
public:
    explicit StreamWatchdog(int boundMs);
    ~StreamWatchdog();

    StreamWatchdog(const StreamWatchdog&) = delete;
    StreamWatchdog& operator=(const StreamWatchdog&) = delete;

    void arm(const QString& label, const QByteArray& stream);
    void disarm();

private:
    void watch();

    const int m_boundMs;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_armed = false;
    bool m_stopping = false;
    quint64 m_generation = 0;
    QString m_label;
    QByteArray m_stream;
    std::thread m_thread;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

namespace tavrel {

class PanelSession;

// Watches, while the session remembers a lost port, for its device to come
// back, and opens it again when it does (PanelSession::ReopenLostPort). It
// looks twice a second on a timer of the event loop, and only while there is
// a lost port: once the port is reopened or forgotten (Close Port, another
// port chosen) the timer stops.
class LostPortWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kProbeIntervalMs = 500;

    explicit LostPortWatch(PanelSession& session, QObject* parent = nullptr);

    // Starts watching when the session remembers a lost port, stops when it
    // no longer does. Call it after anything that may have lost, reopened
    // or forgotten a port.
    void follow();
    bool isWatching() const { return m_timer.isActive(); }
    // How many times it has looked, for tests.
    int probes() const { return m_probes; }

signals:
    void watchingChanged(bool watching);
    void reopened();

private:
    void probe();
    void setWatching(bool watching);

    PanelSession& m_session;
    QTimer m_timer;
    int m_probes = 0;
};

} // namespace tavrel

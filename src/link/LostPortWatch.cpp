// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LostPortWatch.h"

#include "link/PanelSession.h"

namespace tavrel {

LostPortWatch::LostPortWatch(PanelSession& session, QObject* parent)
    : QObject(parent)
    , m_session(session)
{
    m_timer.setInterval(kProbeIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &LostPortWatch::probe);
}

void LostPortWatch::follow()
{
    setWatching(m_session.lostPortRemembered());
}

void LostPortWatch::setWatching(bool watching)
{
    if (watching == m_timer.isActive())
        return;
    if (watching)
        m_timer.start();
    else
        m_timer.stop();
    emit watchingChanged(watching);
}

void LostPortWatch::probe()
{
    ++m_probes;
    if (m_session.ReopenLostPort()) {
        setWatching(false);
        emit reopened();
        return;
    }
    follow();
}

} // namespace tavrel

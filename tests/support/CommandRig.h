// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"
#include "link/PortCommands.h"
#include "support/FakeLink.h"
#include "support/TestBytes.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <memory>

namespace tavrel::testing {

// A session whose port opens onto a scripted link, opened on construction.
// `acks` single acknowledgement bytes are queued as the link's first answers
// once the port is open.
template <typename Host = ScriptedHost>
struct CommandRig {
    Host host;
    std::shared_ptr<FakeLinkState> link = std::make_shared<FakeLinkState>();
    PanelSession session{host, [this](const QString&, qint32) {
                             OpenResult r;
                             r.link = std::make_unique<FakeLink>(link);
                             return r;
                         }};

    explicit CommandRig(int acks = 0)
    {
        OpenPort(session);
        if (acks > 0)
            link->answers = QVector<QByteArray>(acks, Bytes({6}));
    }
    QByteArray lastWrite() const { return link->writes.value(link->writes.size() - 1); }
};

} // namespace tavrel::testing

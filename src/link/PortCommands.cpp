// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortCommands.h"

namespace tavrel {

bool OpenPort(PanelSession& session)
{
    if (!session.OpenComPort())
        return false;
    session.host().setStatusText(QStringLiteral("COM Port open successful."));
    return true;
}

void ClosePort(PanelSession& session)
{
    session.CloseComPort();
}

} // namespace tavrel

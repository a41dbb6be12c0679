// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"

namespace tavrel {

// Open Port: opens the chosen port and reports it in the status window.
bool OpenPort(PanelSession& session);
// Close Port: puts the port's settings back and closes it.
void ClosePort(PanelSession& session);

} // namespace tavrel

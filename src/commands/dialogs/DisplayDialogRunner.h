// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/DialogRequest.h"

class QWidget;

namespace tavrel {

// Shows the question or dialog of a display-control command (Get Device
// Info's question, Oled Control, Rotate Display, Dim Area, Scroll Control,
// Write Command) pre-filled from the request; on OK (or Yes / No) the
// request's fields hold the answer and true is returned. Other kinds
// return false.
bool RunDisplayDialog(QWidget* parent, DialogRequest& request);

} // namespace tavrel

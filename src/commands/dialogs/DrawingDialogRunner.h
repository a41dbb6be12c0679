// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/DialogRequest.h"

class QWidget;

namespace tavrel {

// Shows the dialog of a drawing command (Line, Triangle, Circle, Polygon,
// Copy Area) pre-filled from the request; on OK the request's fields hold
// the entries and true is returned. Other kinds return false.
bool RunDrawingDialog(QWidget* parent, DialogRequest& request);

} // namespace tavrel

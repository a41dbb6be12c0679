// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/DialogRequest.h"

class QWidget;

namespace tavrel {

// Shows the picture dialogs for their requests: Display Image (fields x, y
// and "depth"; the converted picture comes back in `picture`) and Slideshow
// (name, x, y, delay). True on OK; other kinds return false.
bool RunPictureDialog(QWidget* parent, DialogRequest& request);

} // namespace tavrel

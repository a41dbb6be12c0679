// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/DialogRequest.h"

#include <QString>

class QWidget;

namespace tavrel {

// Shows the dialog of a card command (file name, file name and origin, write
// text, read count, YModem) pre-filled from the request; on OK the request's
// fields hold the entries and true is returned. Other kinds return false.
bool RunCardDialog(QWidget* parent, DialogRequest& request);

// Shows text the module sent in "SD Card File Info:" (CFileDirectoryDialog)
// and returns when the user has closed it.
void ShowCardText(QWidget* parent, const QString& title, const QString& text);

} // namespace tavrel

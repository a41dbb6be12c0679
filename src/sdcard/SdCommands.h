// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"

namespace tavrel {

// The title of the text dialog that shows a listing or file data.
inline QString CardTextTitle() { return QStringLiteral("SD Card File Info:"); }

// Files on the module's card. Write to File, Read from File and Close File act
// on the file the last Open command opened in the module.
CommandOutcome ViewDirectory(PanelSession& session);
CommandOutcome OpenFileToWrite(PanelSession& session);
CommandOutcome WriteToFile(PanelSession& session);
CommandOutcome OpenFileToRead(PanelSession& session);
CommandOutcome ReadFromFile(PanelSession& session);
CommandOutcome CloseFile(PanelSession& session);
CommandOutcome EraseFile(PanelSession& session);

// The module shows, runs or writes a file of its card.
CommandOutcome ShowBitmap(PanelSession& session);
CommandOutcome ShowImage(PanelSession& session);
CommandOutcome PrintScreen(PanelSession& session);
CommandOutcome LoadBinary(PanelSession& session);
CommandOutcome LoadNorvel(PanelSession& session);
// Hands the line over to a terminal program's YModem transfer.
CommandOutcome YModemSession(PanelSession& session);

} // namespace tavrel

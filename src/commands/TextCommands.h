// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/PanelSession.h"

#include <QLatin1String>
#include <QString>

namespace tavrel {

// Field names of the text dialogs' requests; the command line shows them in
// its help and takes the check boxes as --name options.
namespace TextField {
constexpr QLatin1String kX("x");
constexpr QLatin1String kY("y");
constexpr QLatin1String kCharacter("character");
constexpr QLatin1String kFormatted("formatted");
constexpr QLatin1String kWidth("width");
constexpr QLatin1String kHeight("height");
constexpr QLatin1String kText("text");
constexpr QLatin1String kButtonDown("button-down");
// The font of a string or button: the main window's current font. The panel
// shows no field for it; the command line may set it with --font=N.
constexpr QLatin1String kFont("font");
constexpr QLatin1String kNumber("number");
constexpr QLatin1String kMode("mode");
// "row0" ... "row7": the user character's rows, top row first.
QString Row(int y);
} // namespace TextField

// The string and button packets are built in a buffer of this many bytes:
// head, text and the terminating 0 must fit.
constexpr int kTextPacketBuffer = 300;
constexpr int kFormattedStringHead = 6;
constexpr int kFreeStringHead = 8;
constexpr int kTextButtonHead = 11;
// The longest text that fits behind a head: 293, 291 and 288 characters.
constexpr int MaxTextLength(int headBytes) { return kTextPacketBuffer - headBytes - 1; }

// The four font buttons: remembers the font for later strings and buttons,
// then sends it at once (0 = 5x7, 1 = 8x8, 2 = 8x12, 3 = 16x32).
CommandOutcome SendSetFont(PanelSession& session, int font);
// The two text-mode buttons: 0 transparent, 1 opaque; nothing is kept.
CommandOutcome SendSetFontMode(PanelSession& session, int mode);

// "Print Character": one character at a point (slot 0), formatted (column and
// row) or free (pixels).
CommandOutcome PrintCharacter(PanelSession& session);
// "Print Text String": a text at a point (slot 0) in the current font.
CommandOutcome PrintTextString(PanelSession& session);
// "Text Button": a labelled button drawn up or down, face in the background
// colour and label in the foreground colour, in the current font.
CommandOutcome TextButton(PanelSession& session);
// "Add User Char": defines one of the module's user characters from the
// character editor's rows.
CommandOutcome AddUserChar(PanelSession& session);
// "Display User Char": draws a user character at a point (slot 0).
CommandOutcome DisplayUserChar(PanelSession& session);

// The command-line forms of the font and text-mode buttons, which have no
// dialog of their own: the font or mode comes as a field text, "0" to "3" or
// the size as the buttons show it ("8x12", "2: 8x12"), "0"/"transparent" or
// "1"/"opaque".
CommandOutcome SetFontCommand(PanelSession& session);
CommandOutcome SetFontModeCommand(PanelSession& session);

} // namespace tavrel

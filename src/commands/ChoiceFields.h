// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/DialogRequest.h"
#include "link/PanelSession.h"

#include <QString>
#include <QStringList>

namespace tavrel {

// Caption of the application's own message boxes.
QString ApplicationCaption();

// A text field of a dialog request (a command-line argument in dialog order).
DialogField PositionalField(const QString& name, const QString& value);
// A radio group or list of a dialog request: not positional, set on the
// command line with --name=VALUE. Each choice is a value ("3") or a value
// with its name ("2: 8x12", as the font buttons are captioned); the command
// line may give the value, the name or both as written.
DialogField OptionField(const QString& name, const QString& value, const QStringList& choices);
// A check box: "1" checked, "0" unchecked; --name alone means "1".
DialogField CheckField(const QString& name, const QString& value);
// A choice typed as an argument of its own for a button that has no dialog
// (a font or text-mode button): the command line must give it.
DialogField RequiredChoiceField(const QString& name, const QString& value, const QStringList& choices);

// The choices of the font buttons and of the text-mode buttons.
QStringList FontChoices();
QStringList TextModeChoices();

// Finds `text` among `choices`, ignoring letter case and blanks at either
// end; `value` is then the number of the choice found.
bool MatchChoice(const QStringList& choices, const QString& text, int& value);
// "3, 4, 5" or "0 (5x7), 1 (8x8)": the choices as a message names them.
QString ChoicesText(const QStringList& choices);
// Why a field's text is not one of its choices ("\"9\" is not a choice for
// vertices (one of 3, 4, 5, 6, 7)."), or an empty string when it is or when
// the field takes any text.
QString ChoiceProblem(const DialogField& field);
// The message for a required field that was not given.
QString MissingChoiceText(const DialogField& field);

// Reads a choice field (radio group, list, font or mode) from an answered
// request as its number. The panel's dialogs can only answer with one of the
// field's choices, the command line could type anything: anything else is
// shown in a message box and false is returned.
bool ReadChoice(PanelSession& session, const DialogRequest& request, const QString& name, int& value);
// A check box, the same way.
bool ReadCheck(PanelSession& session, const DialogRequest& request, const QString& name, bool& checked);

} // namespace tavrel

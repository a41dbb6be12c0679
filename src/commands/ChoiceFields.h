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
// A check box, radio group or list of a dialog request: not positional, set
// on the command line with --name or --name=VALUE.
DialogField OptionField(const QString& name, const QString& value);

// Reads the index of a radio group (or the text of a list) from an answered
// request; it must be one of `allowed`. The panel's dialogs can only answer
// with those, the command line can type anything: anything else is shown in
// a message box and false is returned.
bool ReadChoice(PanelSession& session, const DialogRequest& request, const QString& name,
                const QStringList& allowed, int& value);
// A check box: "1" checked, "0" unchecked.
bool ReadCheck(PanelSession& session, const DialogRequest& request, const QString& name, bool& checked);

} // namespace tavrel

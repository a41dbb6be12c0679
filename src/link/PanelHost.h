// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/DialogRequest.h"
#include "link/HostColour.h"

#include <QString>

namespace tavrel {

// What a command needs from the window it runs in: the status window, the two
// colour buttons, message boxes and parameter dialogs. The main window
// implements it with real widgets, the command-line tool with its arguments
// and standard streams, tests with scripted answers.
class PanelHost {
public:
    virtual ~PanelHost() = default;

    virtual QString statusText() const = 0;
    virtual void setStatusText(const QString& text) = 0;

    virtual HostColour foregroundColour() const = 0;
    // A colour read back from the module: becomes the foreground button's
    // colour and enabled colour, shown at once, without a change notification.
    virtual void setForegroundColour(HostColour colour) = 0;
    virtual HostColour backgroundColour() const = 0;

    // A message box owned by the main window with only an OK button.
    virtual void showMessage(const QString& text, const QString& caption) = 0;

    // Shows the parameter dialog pre-filled with the request's fields; on OK
    // the fields hold the entries and true is returned, on cancel false.
    virtual bool runDialog(DialogRequest& request) = 0;

    // Shows text the module sent (a directory listing, file data) in the
    // dialog titled `title`; returns when the user has closed it.
    virtual void showReceivedText(const QString& title, const QString& text) = 0;

    // The port was opened or let go; the default ignores it.
    virtual void portOpenChanged(bool open) { Q_UNUSED(open); }

    // Progress of a long transfer (done of total steps); the default ignores it.
    virtual void reportProgress(const QString& what, int done, int total)
    {
        Q_UNUSED(what);
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
};

} // namespace tavrel

#pragma once

#include "link/PanelHost.h"

#include <QMap>
#include <QStringList>
#include <QTextStream>

namespace tavrel {

// The command-line tool's stand-in for the main window: the status window is
// a string, the colour buttons are plain values, message boxes go to standard
// error, and every parameter dialog is answered with the positional arguments
// (in the order the dialog shows its fields; omitted ones keep the defaults).
class CliHost final : public PanelHost {
public:
    // positional: field texts in dialog order; named: --name[=VALUE] options
    // (a bare --name is "1").
    CliHost(HostColour foreground, HostColour background, QStringList positional, QMap<QString, QString> named,
            QTextStream& output, QTextStream& errors);

    // A rehearsal: the first dialog is answered from the arguments and then
    // cancelled, and nothing is printed. Run before the port is opened, it
    // finds the arguments no dialog could give (usageError()).
    void rehearseOnly() { m_rehearsal = true; }
    // Received text is escaped for a terminal (TerminalSafeText) instead of
    // going out byte for byte.
    void setOutputIsTerminal(bool terminal) { m_terminal = terminal; }
    // Answers the dialogs from the first argument again, for a command that
    // runs a second time after its port came back.
    void rewindAnswers();

    QString statusText() const override { return m_status; }
    void setStatusText(const QString& text) override { m_status = text; }
    HostColour foregroundColour() const override { return m_foreground; }
    void setForegroundColour(HostColour colour) override { m_foreground = colour; }
    HostColour backgroundColour() const override { return m_background; }
    void showMessage(const QString& text, const QString& caption) override;
    bool runDialog(DialogRequest& request) override;
    // Received text goes to standard output, ahead of the status text.
    void showReceivedText(const QString& title, const QString& text) override;

    // Arguments that no dialog field took.
    QStringList unusedArguments() const;
    // The first answer no dialog could give: a choice that is not among its
    // control's choices, or a required choice left out. Empty when none.
    QString usageError() const { return m_usageError; }

private:
    QString m_status;
    HostColour m_foreground;
    HostColour m_background;
    QStringList m_arguments;
    QMap<QString, QString> m_named;
    QStringList m_givenArguments;
    QMap<QString, QString> m_givenNamed;
    QTextStream& m_output;
    QTextStream& m_errors;
    bool m_rehearsal = false;
    bool m_terminal = false;
    QString m_usageError;
};

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/script/CommandArguments.h"
#include "link/PanelHost.h"

#include <QTextStream>

namespace tavrel {

// The command-line tool's stand-in for the main window: the status window is
// a string, the colour buttons are plain values, message boxes go to standard
// error, and every parameter dialog is answered from the command's arguments
// (in the order the dialog shows its fields; omitted ones keep the defaults).
class CliHost final : public PanelHost {
public:
    CliHost(HostColour foreground, HostColour background, QTextStream& output, QTextStream& errors);

    // Where the dialogs of the command that runs take their answers; with
    // none they are cancelled.
    void answerDialogsFrom(ArgumentAnswers* answers) { m_answers = answers; }
    // Received text is escaped for a terminal (TerminalSafeText) instead of
    // going out byte for byte.
    void setOutputIsTerminal(bool terminal) { m_terminal = terminal; }

    QString statusText() const override { return m_status; }
    void setStatusText(const QString& text) override { m_status = text; }
    HostColour foregroundColour() const override { return m_foreground; }
    void setForegroundColour(HostColour colour) override { m_foreground = colour; }
    HostColour backgroundColour() const override { return m_background; }
    void setBackgroundColour(HostColour colour) { m_background = colour; }
    void showMessage(const QString& text, const QString& caption) override;
    bool runDialog(DialogRequest& request) override;
    // Received text goes to standard output, ahead of the status text.
    void showReceivedText(const QString& title, const QString& text) override;

private:
    QString m_status;
    HostColour m_foreground;
    HostColour m_background;
    QTextStream& m_output;
    QTextStream& m_errors;
    ArgumentAnswers* m_answers = nullptr;
    bool m_terminal = false;
};

} // namespace tavrel

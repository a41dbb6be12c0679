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

private:
    QString m_status;
    HostColour m_foreground;
    HostColour m_background;
    QStringList m_arguments;
    QMap<QString, QString> m_named;
    QTextStream& m_output;
    QTextStream& m_errors;
};

} // namespace tavrel

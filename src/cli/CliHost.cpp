// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliHost.h"

#include "cli/TerminalText.h"

#include <QIODevice>

namespace tavrel {

CliHost::CliHost(HostColour foreground, HostColour background, QTextStream& output, QTextStream& errors)
    : m_foreground(foreground)
    , m_background(background)
    , m_output(output)
    , m_errors(errors)
{
}

void CliHost::showMessage(const QString& text, const QString& caption)
{
    Q_UNUSED(caption);
    m_errors << text << Qt::endl;
}

void CliHost::showReceivedText(const QString& title, const QString& text)
{
    Q_UNUSED(title);
    // The text holds the module's bytes one per character (Latin-1), so
    // they come back unchanged.
    const QByteArray bytes = text.toLatin1();
    QIODevice* device = m_output.device();
    if (m_terminal || !device) {
        const QString shown = TerminalSafeText(bytes);
        m_output << shown;
        if (!shown.endsWith(QLatin1Char('\n')))
            m_output << '\n';
        m_output.flush();
        return;
    }
    // A file or a pipe gets the bytes exactly as they came, past the text
    // stream's encoding; a line break after them keeps the status text on a
    // line of its own.
    m_output.flush();
    device->write(bytes);
    if (!bytes.endsWith('\n'))
        device->write("\n", 1);
}

bool CliHost::runDialog(DialogRequest& request)
{
    if (!m_answers)
        return false;
    m_answers->answer(request);
    return true;
}

} // namespace tavrel

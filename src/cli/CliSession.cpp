// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliSession.h"

#include "cli/TerminalText.h"
#include "cli/TracePrinter.h"
#include "emulator/CardFolder.h"
#include "link/OpenLink.h"
#include "link/PortNames.h"

namespace tavrel {

namespace {

// The status window uses "\r\n" between lines; a terminal wants "\n".
QString ForTerminal(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

CliSession::CliSession(const CliSettings& settings, QTextStream& out, QTextStream& err)
    : m_host(settings.foreground, settings.background, out, err)
    , m_session(m_host, MakeLinkOpener(&m_emulator))
    , m_out(out)
{
    // Its card is a folder in this tool's data folder, kept between runs.
    m_emulator.setCardDirectory(quennel::defaultCardDirectory());
    m_host.setOutputIsTerminal(StandardOutputIsTerminal());
    m_session.m_portName = IsEmulatorPortName(settings.portName) ? EmulatorPortName() : settings.portName;
    m_session.m_baudRate = settings.baudRate;
    // Without --trace nobody looks at the history: keep none.
    m_session.traffic().setRecording(false);
    if (settings.trace)
        PrintTrafficAsItHappens(m_session.traffic(), err);
}

CliSession::~CliSession()
{
    // Leave without "Serial Port Closed.": the printed text is the command's.
    m_session.dropPort();
}

DialogRouting CliSession::dialogRouting()
{
    return [this](ArgumentAnswers* answers) { m_host.answerDialogsFrom(answers); };
}

void CliSession::printStatus(const CommandInfo& command)
{
    if (!command.needsNoPort || !m_host.statusText().isEmpty())
        m_out << ForTerminal(m_host.statusText()) << Qt::endl;
}

} // namespace tavrel

#include "cli/ArgumentCheck.h"

#include "cli/CliHost.h"
#include "link/PanelSession.h"

#include <QTextStream>

namespace tavrel {

namespace {

// A rehearsal takes no time: its waits are skipped.
class NoWaitClock final : public Clock {
public:
    qint64 nowMs() override { return 0; }
    void sleepMs(int) override {}
};

} // namespace

QString ArgumentProblem(const CommandInfo& command, const QStringList& positional, const QMap<QString, QString>& named,
                        const QStringList& rawArguments)
{
    if (command.runArguments) {
        QString usageError;
        if (command.checkArguments && !command.checkArguments(rawArguments, usageError))
            return usageError;
        return QString();
    }
    if (!command.run)
        return QString();
    QString discarded;
    QTextStream nowhere(&discarded);
    CliHost host(kWhite, kBlack, positional, named, nowhere, nowhere);
    host.rehearseOnly();
    PanelSession session(host, [](const QString&, qint32) { return OpenResult(); });
    NoWaitClock clock;
    session.setClock(clock);
    command.run(session);
    return host.usageError();
}

} // namespace tavrel

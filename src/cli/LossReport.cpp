// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/LossReport.h"

namespace tavrel {

void ReportLoss(const ReconnectingRun& run, int reconnectSeconds, QTextStream& err, const QString& linePrefix)
{
    const QString what = QStringLiteral("tavrel-cli: %1the port went away (%2)").arg(linePrefix, run.lossReason);
    switch (run.loss) {
    case LossHandling::None:
        return;
    case LossHandling::Resent:
        err << what << " before any of the command was written; it came back and the command was sent again"
            << Qt::endl;
        return;
    case LossHandling::NotResent:
        err << what << " after " << run.bytesBeforeLoss
            << " bytes of the command were written; it came back, and the command is not sent again" << Qt::endl;
        return;
    case LossHandling::PortGone:
        err << what;
        if (reconnectSeconds > 0)
            err << " and did not come back within " << reconnectSeconds << " s";
        err << Qt::endl;
        return;
    }
}

} // namespace tavrel

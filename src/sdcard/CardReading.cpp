// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdcard/CardReading.h"

#include "link/ParseDecimal.h"

namespace tavrel {

ReceiveLimits LimitsForBaudRate(int maxBytes, const QString& baudRate)
{
    qint64 baud = ParseDecimal(baudRate);
    if (baud <= 0)
        baud = 115200;
    // Ten bits a byte on an 8N1 line.
    const qint64 lineMs = qint64(maxBytes) * 10 * 1000 / baud;
    // The limit is looked at before each read, and one read may take its
    // whole time-out after that.
    const qint64 lastReadMs = LinkTimeouts().readBudgetMs(1);
    return ReceiveLimits{maxBytes, qMin(30000 + 2 * lineMs, kMaxReceiveMs - lastReadMs)};
}

ReceivedText ReceiveUntilZero(PanelSession& session, int wanted, const ReceiveLimits& limits)
{
    ReceivedText received;
    Clock& clock = session.clock();
    const qint64 start = clock.nowMs();
    for (;;) {
        if (wanted >= 0 && received.bytes >= wanted)
            break;
        if (clock.nowMs() - start >= limits.maxTotalMs) {
            received.cutByTime = true;
            break;
        }
        const QByteArray byte = session.ReadBytes(1);
        if (byte.size() != 1 || byte.at(0) == '\0')
            break;
        if (received.bytes >= limits.maxBytes) {
            // One byte more than we take in, and it is not the end.
            received.cutBySize = true;
            break;
        }
        received.text += QChar(static_cast<uchar>(byte.at(0)));
        ++received.bytes;
    }
    if (received.cut())
        session.PurgeInput();
    return received;
}

QString CutNote(const ReceivedText& received, const ReceiveLimits& limits, const QString& what)
{
    if (received.cutBySize)
        return QStringLiteral("\r\n[%1 cut after %2 bytes: the module kept sending.]").arg(what).arg(limits.maxBytes);
    if (received.cutByTime)
        return QStringLiteral("\r\n[%1 cut after %2 seconds: the module kept sending.]")
            .arg(what)
            .arg((limits.maxTotalMs + 999) / 1000);
    return QString();
}

} // namespace tavrel

#include "sdcard/CardReading.h"

#include "link/ParseDecimal.h"

#include <QElapsedTimer>

namespace tavrel {

ReceiveLimits LimitsForBaudRate(int maxBytes, const QString& baudRate)
{
    qint64 baud = ParseDecimal(baudRate);
    if (baud <= 0)
        baud = 115200;
    // Ten bits a byte on an 8N1 line.
    const qint64 lineMs = qint64(maxBytes) * 10 * 1000 / baud;
    return ReceiveLimits{maxBytes, 30000 + 2 * lineMs};
}

ReceivedText ReceiveUntilZero(PanelSession& session, int wanted, const ReceiveLimits& limits)
{
    ReceivedText received;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (wanted >= 0 && received.bytes >= wanted)
            break;
        if (clock.elapsed() >= limits.maxTotalMs) {
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LogLine.h"

namespace tavrel {

namespace {
QString WrittenSuffix(qint64 written)
{
    return QStringLiteral(": %1 bytes written").arg(written);
}
} // namespace

QString FormatLogLine(const QString& label, const QByteArray& packet, qint64 written)
{
    QString line = label + QStringLiteral(": ");
    for (int i = 0; i < packet.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += QString::number(static_cast<quint8>(packet.at(i)));
    }
    return line + QLatin1Char(' ') + WrittenSuffix(written);
}

QString LogLabel(const QString& prefix)
{
    QString label = prefix.trimmed();
    if (label.endsWith(QLatin1Char(':')))
        label.chop(1);
    return label;
}

QString FormatPieceLogLine(const QString& prefix, const QByteArray& packet, qint64 written)
{
    QString line = prefix;
    for (int i = 0; i < packet.size(); ++i) {
        line += QString::number(static_cast<quint8>(packet.at(i))) + QStringLiteral(", ");
        if (i > 0 && i % 15 == 0)
            line += QStringLiteral("\r\n");
    }
    return line + WrittenSuffix(written);
}

} // namespace tavrel

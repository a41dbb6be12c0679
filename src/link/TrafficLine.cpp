// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/TrafficLine.h"

#include <QDateTime>
#include <QStringList>

namespace tavrel {

namespace {

const QLatin1Char kSeparator('\t');

// Labels name ports and quote replies; a tab, line break or other control
// character in one would break the line apart.
QString SafeLabel(const QString& label)
{
    QString safe = label;
    for (QChar& c : safe)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return safe;
}

bool IsHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

} // namespace

QString TrafficTimeText(qint64 wallMs)
{
    return QDateTime::fromMSecsSinceEpoch(wallMs).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString TrafficDirectionText(TrafficKind kind)
{
    switch (kind) {
    case TrafficKind::Sent: return QStringLiteral("->");
    case TrafficKind::Received: return QStringLiteral("<-");
    case TrafficKind::TimedOut:
    case TrafficKind::Purged:
    case TrafficKind::Opened:
    case TrafficKind::Closed:
    case TrafficKind::Lost: break;
    }
    return QStringLiteral("--");
}

QString TrafficHexText(const QByteArray& bytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size() * 3);
    for (int i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(' ');
        const auto b = static_cast<quint8>(bytes.at(i));
        text += QLatin1Char(kDigits[b >> 4]);
        text += QLatin1Char(kDigits[b & 0x0F]);
    }
    return text;
}

QString TrafficAsciiText(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<quint8>(c);
        text += (b >= 0x20 && b <= 0x7E) ? QLatin1Char(char(b)) : QLatin1Char('.');
    }
    return text;
}

QString FormatTrafficLine(const TrafficEntry& entry)
{
    QString line = TrafficTimeText(entry.wallMs);
    line += kSeparator;
    line += QLatin1Char('+') + QString::number(entry.sinceOpenMs);
    line += kSeparator;
    line += TrafficDirectionText(entry.kind);
    line += kSeparator;
    line += SafeLabel(entry.label);
    line += kSeparator;
    line += TrafficHexText(entry.bytes);
    line += kSeparator;
    line += TrafficAsciiText(entry.bytes);
    return line;
}

QString FormatTrafficLines(const TrafficHistory& history, qint64 first, qint64 end)
{
    QString text;
    for (qint64 s = std::max(first, history.firstSequence()); s < end; ++s) {
        if (const TrafficEntry* entry = history.entry(s)) {
            text += FormatTrafficLine(*entry);
            text += QLatin1Char('\n');
        }
    }
    return text;
}

bool ParseTrafficLine(const QString& line, TrafficLineFields& fields)
{
    QString text = line;
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    const QStringList parts = text.split(kSeparator);
    if (parts.size() != 6)
        return false;
    const QString& since = parts.at(1);
    bool numberOk = false;
    const qint64 sinceMs = since.mid(1).toLongLong(&numberOk);
    if (!since.startsWith(QLatin1Char('+')) || !numberOk)
        return false;
    const QString& direction = parts.at(2);
    if (direction != QLatin1String("->") && direction != QLatin1String("<-") && direction != QLatin1String("--"))
        return false;

    QByteArray bytes;
    const QString& hex = parts.at(4);
    if (!hex.isEmpty()) {
        // "HH" then " HH" for each further byte.
        if ((hex.size() + 1) % 3 != 0)
            return false;
        for (int i = 0; i < hex.size(); i += 3) {
            if (!IsHexDigit(hex.at(i)) || !IsHexDigit(hex.at(i + 1))
                || (i + 2 < hex.size() && hex.at(i + 2) != QLatin1Char(' ')))
                return false;
            bytes.append(char(hex.mid(i, 2).toUInt(nullptr, 16)));
        }
    }
    if (parts.at(5) != TrafficAsciiText(bytes))
        return false;

    fields.time = parts.at(0);
    fields.sinceOpenMs = sinceMs;
    fields.direction = direction;
    fields.label = parts.at(3);
    fields.bytes = bytes;
    return true;
}

} // namespace tavrel

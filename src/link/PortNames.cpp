// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortNames.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace tavrel {

bool IsEmulatorPortName(const QString& name)
{
    return name.compare(EmulatorPortName(), Qt::CaseInsensitive) == 0;
}

QString PortEntry::displayText() const
{
    return description.isEmpty() ? name : name + QStringLiteral("  (") + description + QLatin1Char(')');
}

QString PlainComName(const QString& name)
{
    return name.startsWith(QLatin1String("\\\\.\\")) || name.startsWith(QLatin1String("//./")) ? name.mid(4) : name;
}

namespace {

bool SameComName(const QString& a, const QString& b)
{
    return PlainComName(a).compare(PlainComName(b), Qt::CaseInsensitive) == 0;
}

// The number of a name "COMn", or 0 for any other name.
int ComNumber(const QString& name)
{
    const QString plain = PlainComName(name);
    if (!plain.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const int number = plain.mid(3).toInt(&ok);
    return ok && number > 0 ? number : 0;
}

} // namespace

void SortComPorts(QVector<PortEntry>& ports)
{
    std::stable_sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) {
        const int first = ComNumber(a.name);
        const int second = ComNumber(b.name);
        if ((first == 0) != (second == 0))
            return first != 0;
        if (first != second)
            return first < second;
        return PlainComName(a.name).compare(PlainComName(b.name), Qt::CaseInsensitive) < 0;
    });
    ports.erase(std::unique(ports.begin(), ports.end(),
                            [](const PortEntry& a, const PortEntry& b) { return SameComName(a.name, b.name); }),
                ports.end());
}

#ifdef Q_OS_WIN

bool SamePortName(const QString& a, const QString& b)
{
    return SameComName(a, b);
}

namespace {

QVector<PortEntry> SystemPorts()
{
    QVector<PortEntry> ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const auto& info : infos)
        ports.push_back({info.portName(), info.description()});
    SortComPorts(ports);
    return ports;
}

} // namespace

#else

bool SamePortName(const QString& a, const QString& b)
{
    return a == b;
}

namespace {

QVector<PortEntry> SystemPorts()
{
    QVector<PortEntry> ports;
    auto infos = QSerialPortInfo::availablePorts();
    std::sort(infos.begin(), infos.end(), [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
        return a.systemLocation() < b.systemLocation();
    });
    for (const auto& info : infos)
        ports.push_back({info.systemLocation(), info.description()});
    return ports;
}

} // namespace

#endif

QVector<PortEntry> AvailablePorts()
{
    QVector<PortEntry> ports = SystemPorts();
    ports.push_back({EmulatorPortName(), QStringLiteral("built-in emulated module")});
    return ports;
}

QString DefaultPortName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM5");
#else
    return EmulatorPortName();
#endif
}

QVector<QString> BaudRateChoices()
{
    return {QStringLiteral("115200"), QStringLiteral("57600"), QStringLiteral("38400"), QStringLiteral("19200"),
            QStringLiteral("9600"),   QStringLiteral("4800"),  QStringLiteral("2400"),  QStringLiteral("1200"),
            QStringLiteral("600"),    QStringLiteral("300")};
}

} // namespace tavrel

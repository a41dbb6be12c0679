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

QVector<PortEntry> AvailablePorts()
{
    QVector<PortEntry> ports;
#ifdef Q_OS_WIN
    for (int i = 1; i <= 14; ++i) {
        const QString name = i < 10 ? QStringLiteral("COM%1").arg(i) : QStringLiteral("\\\\.\\COM%1").arg(i);
        ports.push_back({name, QString()});
    }
#else
    auto infos = QSerialPortInfo::availablePorts();
    std::sort(infos.begin(), infos.end(), [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
        return a.systemLocation() < b.systemLocation();
    });
    for (const auto& info : infos)
        ports.push_back({info.systemLocation(), info.description()});
    ports.push_back({EmulatorPortName(), QStringLiteral("built-in emulated module")});
#endif
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

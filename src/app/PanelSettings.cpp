// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PanelSettings.h"

#include <QFile>

namespace tavrel {

namespace {

const QString kPort = QStringLiteral("port/name");
const QString kBaud = QStringLiteral("port/baud");
const QString kScale = QStringLiteral("windows/emulatorScale");

QString FolderKey(const QString& kind)
{
    // Kinds are free text; a slash would make a sub-key, a backslash is
    // QSettings' own separator on some platforms.
    QString key = kind;
    key.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char('\\'), QLatin1Char('-'));
    return QStringLiteral("folders/") + key;
}

QString WindowKey(const QString& window)
{
    return QStringLiteral("windows/") + window;
}

} // namespace

PanelSettings::PanelSettings(const QString& fileName)
    : m_settings(fileName, QSettings::IniFormat)
{
}

QString PanelSettings::defaultFileName()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tavrel"), QStringLiteral("tavrel"))
        .fileName();
}

bool PanelSettings::forget(const QString& fileName)
{
    return !QFile::exists(fileName) || QFile::remove(fileName);
}

QString PanelSettings::portName() const
{
    return m_settings.value(kPort).toString();
}

QString PanelSettings::baudRate() const
{
    return m_settings.value(kBaud).toString();
}

void PanelSettings::setPort(const QString& portName, const QString& baudRate)
{
    m_settings.setValue(kPort, portName);
    m_settings.setValue(kBaud, baudRate);
}

QString PanelSettings::folder(const QString& kind) const
{
    return m_settings.value(FolderKey(kind)).toString();
}

void PanelSettings::setFolder(const QString& kind, const QString& folder)
{
    m_settings.setValue(FolderKey(kind), folder);
}

std::optional<QRect> PanelSettings::windowFrame(const QString& window) const
{
    const QRect frame = m_settings.value(WindowKey(window)).toRect();
    if (!frame.isValid())
        return std::nullopt;
    return frame;
}

void PanelSettings::setWindowFrame(const QString& window, const QRect& frame)
{
    m_settings.setValue(WindowKey(window), frame);
}

int PanelSettings::emulatorScale() const
{
    return m_settings.value(kScale, 0).toInt();
}

void PanelSettings::setEmulatorScale(int scale)
{
    m_settings.setValue(kScale, scale);
}

} // namespace tavrel

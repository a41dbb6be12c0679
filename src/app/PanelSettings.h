// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSettings>
#include <QString>

#include <optional>

namespace tavrel {

// What the panel remembers from one run to the next: the port and baud
// rate, the folder each kind of file was last taken from or saved to, and
// where the panel, the traffic window and the emulator's window stood.
// Colours, the font and the remembered coordinates are not kept: every
// start has the defaults for them.
//
// An INI file in the user's own settings folder (defaultFileName()); the
// command-line tool never reads it.
class PanelSettings {
public:
    explicit PanelSettings(const QString& fileName);

    // ~/.config/Tavrel/tavrel.ini on Linux, %APPDATA%\Tavrel\tavrel.ini on
    // Windows, as QSettings places a user's INI file.
    static QString defaultFileName();
    // Forgets everything (tavrel --reset-settings); false when a file that
    // is there could not be removed.
    static bool forget(const QString& fileName);

    QString portName() const;
    QString baudRate() const;
    void setPort(const QString& portName, const QString& baudRate);

    // Folders by kind of file (the file dialog's first filter name).
    QString folder(const QString& kind) const;
    void setFolder(const QString& kind, const QString& folder);

    // A window's frame rectangle on the screen, by window name; nothing
    // when none was kept.
    std::optional<QRect> windowFrame(const QString& window) const;
    void setWindowFrame(const QString& window, const QRect& frame);
    // The emulator window's scale; 0 when none was kept.
    int emulatorScale() const;
    void setEmulatorScale(int scale);

    void sync() { m_settings.sync(); }

private:
    QSettings m_settings;
};

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CTavrelDlg.h"
#include "app/PanelSettings.h"

#include "TavrelVersion.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// --help and --version print and leave; they need no window system, so that
// they work in a terminal without a display (and when the man page is made).
bool OnlyPrints(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"--help", "-h", "-?", "--help-all", "--version", "-v"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    const bool onlyPrints = OnlyPrints(argc, argv);
    std::unique_ptr<QCoreApplication> app(onlyPrints ? new QCoreApplication(argc, argv)
                                                     : new QApplication(argc, argv));
    // The panel's name also names its data folder; --version names the
    // command, as tavrel-cli and quennel-emu do.
    QCoreApplication::setApplicationName(onlyPrints ? QStringLiteral("tavrel") : QStringLiteral("Tavrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Control panel for the Quennel 96 x 64 colour OLED module."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("Start with port NAME chosen (a serial device or \"Emulator\")."),
        QStringLiteral("NAME"));
    const QCommandLineOption noEmulatorWindowOption(
        QStringLiteral("no-emulator-window"), QStringLiteral("Do not show the built-in emulator's display window."));
    const QCommandLineOption resetSettingsOption(
        QStringLiteral("reset-settings"),
        QStringLiteral("Forget the remembered port, baud rate, folders and window places, and start with the "
                       "defaults."));
    parser.addOption(portOption);
    parser.addOption(noEmulatorWindowOption);
    parser.addOption(resetSettingsOption);
    parser.process(*app);

    // Lets the desktop match the window to the installed desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral(TAVREL_APP_ID));

    tavrel::PanelOptions options;
    options.portName = parser.value(portOption);
    options.showEmulatorWindow = !parser.isSet(noEmulatorWindowOption);
    options.settingsFile = tavrel::PanelSettings::defaultFileName();
    if (parser.isSet(resetSettingsOption) && !tavrel::PanelSettings::forget(options.settingsFile)) {
        std::fprintf(stderr, "tavrel: cannot remove %s\n", qPrintable(options.settingsFile));
        return 1;
    }

    // The panel is the application: when it ends, so does the process, even
    // while the emulator's window is still open.
    tavrel::CTavrelDlg panel(options);
    QObject::connect(&panel, &QDialog::finished, app.get(), &QCoreApplication::quit);
    panel.show();
    return app->exec();
}

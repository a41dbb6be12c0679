#include "app/CTavrelDlg.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrel"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Control panel for the Quennel 96 x 64 colour OLED module."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("Start with port NAME chosen (a serial device or \"Emulator\")."),
        QStringLiteral("NAME"));
    const QCommandLineOption noEmulatorWindowOption(
        QStringLiteral("no-emulator-window"), QStringLiteral("Do not show the built-in emulator's display window."));
    parser.addOption(portOption);
    parser.addOption(noEmulatorWindowOption);
    parser.process(app);

    tavrel::PanelOptions options;
    options.portName = parser.value(portOption);
    options.showEmulatorWindow = !parser.isSet(noEmulatorWindowOption);

    // The panel is the application: when it ends, so does the process, even
    // while the emulator's window is still open.
    tavrel::CTavrelDlg panel(options);
    QObject::connect(&panel, &QDialog::finished, &app, &QCoreApplication::quit);
    panel.show();
    return app.exec();
}

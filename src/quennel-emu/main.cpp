// SPDX-License-Identifier: GPL-3.0-or-later
// quennel-emu: the emulated Quennel module on a pseudo-terminal.
//
// Prints the slave device path as the first line of standard output, then
// serves the module's protocol there to one client after another until
// SIGTERM or SIGINT. Diagnostics go to standard error. With --link PATH a
// symbolic link PATH names the pseudo-terminal while the program runs.

#include "emulator/Emulator.h"
#include "emulator/PtyLink.h"
#include "emulator/PtyServer.h"
#include "emulator/window/EmulatorWindow.h"

#include "TavrelVersion.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int)
{
    const char byte = 1;
    // Nothing to do if the pipe is full: a quit is already on its way.
    [[maybe_unused]] const ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
}

// Turns SIGTERM and SIGINT into a clean quit of the event loop.
bool installQuitOnSignals(QCoreApplication& app)
{
    if (::pipe(g_signalPipe) != 0)
        return false;
    for (int fd : g_signalPipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        app.quit();
    });

    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}

// Whether the run needs no window system: --headless, or only the help or
// version text.
bool needsNoWindow(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"--headless", "--help", "-h", "-?", "--help-all", "--version", "-v"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // A client that disappears must not kill us through a broken pipe.
    std::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<QCoreApplication> app(needsNoWindow(argc, argv) ? new QCoreApplication(argc, argv)
                                                                    : new QApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("quennel-emu"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Emulated Quennel 96x64 OLED module on a pseudo-terminal. "
                       "The first line of output is the device path to open."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption headlessOption(QStringLiteral("headless"), QStringLiteral("Show no window."));
    const QCommandLineOption scaleOption(QStringLiteral("scale"),
                                         QStringLiteral("Window pixels per module pixel (1-32, default 4)."),
                                         QStringLiteral("N"), QStringLiteral("4"));
    const QCommandLineOption frameFileOption(
        QStringLiteral("frame-file"), QStringLiteral("Keep a PNG of the display up to date at PATH."),
        QStringLiteral("PATH"));
    const QCommandLineOption cardOption(QStringLiteral("card"),
                                        QStringLiteral("Folder standing in for the SD card."),
                                        QStringLiteral("DIR"));
    const QCommandLineOption receivedFileOption(
        QStringLiteral("received-file"),
        QStringLiteral("Append every byte that clients send to PATH, as it arrives."), QStringLiteral("PATH"));
    const QCommandLineOption linkOption(
        QStringLiteral("link"),
        QStringLiteral("Keep a symbolic link PATH to the pseudo-terminal while running, removed at exit: "
                       "a device name that stays the same across restarts. An existing link to a "
                       "pseudo-terminal is replaced; anything else at PATH is refused."),
        QStringLiteral("PATH"));
    parser.addOptions({headlessOption, scaleOption, frameFileOption, cardOption, receivedFileOption, linkOption});
    parser.process(*app);
    const bool headless = parser.isSet(headlessOption);

    bool scaleOk = false;
    const int scale = parser.value(scaleOption).toInt(&scaleOk);
    if (!scaleOk || scale < 1 || scale > 32) {
        std::fprintf(stderr, "quennel-emu: --scale wants a whole number from 1 to 32\n");
        return 2;
    }

    quennel::Emulator emulator;
    if (parser.isSet(cardOption))
        emulator.setCardDirectory(parser.value(cardOption));

    if (parser.isSet(frameFileOption)) {
        const QString path = parser.value(frameFileOption);
        auto writeFrame = [&emulator, path] {
            QString error;
            if (!emulator.saveFrame(path, &error))
                std::fprintf(stderr, "quennel-emu: cannot write %s: %s\n", qPrintable(path), qPrintable(error));
        };
        // Connected directly: the file is current before the reply goes out.
        QObject::connect(&emulator, &quennel::Emulator::frameChanged, &emulator, writeFrame);
        writeFrame();
    }

    quennel::PtyServer server(emulator);
    QString error;
    if (!server.open(&error)) {
        std::fprintf(stderr, "quennel-emu: cannot create a pseudo-terminal: %s\n", qPrintable(error));
        return 1;
    }
    // Made before the path is printed, so that whoever waits for that line
    // finds the link in place; removed before the terminal closes.
    quennel::PtyLink link;
    if (parser.isSet(linkOption) && !link.create(parser.value(linkOption), server.slavePath(), &error)) {
        std::fprintf(stderr, "quennel-emu: --link: %s\n", qPrintable(error));
        return 1;
    }
    QFile receivedFile;
    if (parser.isSet(receivedFileOption)) {
        receivedFile.setFileName(parser.value(receivedFileOption));
        if (!receivedFile.open(QIODevice::WriteOnly | QIODevice::Append)) {
            std::fprintf(stderr, "quennel-emu: cannot write %s: %s\n", qPrintable(receivedFile.fileName()),
                         qPrintable(receivedFile.errorString()));
            return 1;
        }
        // Flushed at once: the file is complete before the reply goes out.
        QObject::connect(&server, &quennel::PtyServer::received, &server, [&receivedFile](const QByteArray& bytes) {
            receivedFile.write(bytes);
            receivedFile.flush();
        });
    }
    if (!installQuitOnSignals(*app))
        std::fprintf(stderr, "quennel-emu: warning: cannot catch SIGTERM/SIGINT\n");

    std::printf("%s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);

    std::unique_ptr<quennel::EmulatorWindow> window;
    if (!headless) {
        window = std::make_unique<quennel::EmulatorWindow>(&emulator);
        window->setScale(scale);
        window->setSaveFramePathChooser([](QWidget* parent) {
            return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Frame"), QString(),
                                                QStringLiteral("PNG image (*.png)"));
        });
        window->setWindowTitle(QStringLiteral("Quennel Emulator - %1").arg(server.slavePath()));
        window->show();
    }

    const int status = app->exec();
    window.reset();
    return status;
}

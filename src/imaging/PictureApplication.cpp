// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/PictureApplication.h"

#include <QGuiApplication>

namespace tavrel {

namespace {

QtMessageHandler g_startupHandler = nullptr;

// While the application starts: a system without a user session (a
// service, a root shell) has no runtime folder, which Qt mentions; it is
// not used here, and a command's output stays its own.
void QuietStartup(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (g_startupHandler)
        g_startupHandler(type, context, message);
}

} // namespace

std::unique_ptr<QCoreApplication> CreatePictureApplication(int& argc, char** argv)
{
#ifndef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    g_startupHandler = qInstallMessageHandler(QuietStartup);
    std::unique_ptr<QCoreApplication> application = std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(g_startupHandler);
    return application;
}

} // namespace tavrel

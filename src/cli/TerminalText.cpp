// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalText.h"

#include <cstdio>
#include <cstdlib>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tavrel {

bool StandardOutputIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stdout)) != 0;
#else
    return ::isatty(::fileno(stdout)) != 0;
#endif
}

#ifdef Q_OS_WIN
namespace {
UINT g_consoleCodePage = 0;
}
#endif

void UseStandardStreamsAsTheyAre()
{
#ifdef Q_OS_WIN
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The console's code page outlives the program: the one it had comes
    // back at exit.
    g_consoleCodePage = GetConsoleOutputCP();
    if (g_consoleCodePage != 0 && g_consoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit([] { SetConsoleOutputCP(g_consoleCodePage); });
#endif
}

QString TerminalSafeText(const QByteArray& bytes)
{
    QString shown;
    shown.reserve(bytes.size());
    for (int i = 0; i < bytes.size(); ++i) {
        const uchar b = static_cast<uchar>(bytes.at(i));
        if (b == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            continue;
        if (b == '\\') {
            shown += QStringLiteral("\\\\");
        } else if (b == '\t' || b == '\n' || (b >= 0x20 && b < 0x7F) || b >= 0xA0) {
            shown += QChar(b);
        } else {
            shown += QStringLiteral("\\x%1").arg(uint(b), 2, 16, QLatin1Char('0'));
        }
    }
    return shown;
}

} // namespace tavrel

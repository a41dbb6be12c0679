// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <initializer_list>

namespace tavrel::testing {

// A screen of the offscreen platform: its size in device pixels and the
// scale the desktop runs it at (1.5 gives 1280 x 800 as 853 x 533).
struct ScreenSpec {
    const char* name;
    int width;
    int height;
    double pixelRatio;
};

inline QScreen* ScreenNamed(const QString& name)
{
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == name)
            return screen;
    return nullptr;
}

// Runs the test on the offscreen platform with these screens side by side,
// windows drawn with frames.
template <typename Test>
int RunOnScreens(int argc, char** argv, std::initializer_list<ScreenSpec> specs)
{
    QByteArray screens;
    int x = 0;
    for (const ScreenSpec& s : specs) {
        const int width = qRound(s.width / s.pixelRatio);
        const int height = qRound(s.height / s.pixelRatio);
        if (!screens.isEmpty())
            screens += ',';
        screens += QStringLiteral(R"({"name": "%1", "x": %2, "y": 0, "width": %3, "height": %4,
                                      "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": %5})")
                       .arg(QLatin1String(s.name))
                       .arg(x)
                       .arg(width)
                       .arg(height)
                       .arg(s.pixelRatio)
                       .toUtf8();
        x += width;
    }
    QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(R"({"windowFrameMargins": true, "screens": [)" + screens + "]}") < 0)
        return 1;
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace tavrel::testing

// QTEST_MAIN for a test that runs on the given screens.
#define QTEST_MAIN_ON_SCREENS(Test, ...)                                                 \
    int main(int argc, char** argv)                                                      \
    {                                                                                    \
        return tavrel::testing::RunOnScreens<Test>(argc, argv, {__VA_ARGS__});           \
    }

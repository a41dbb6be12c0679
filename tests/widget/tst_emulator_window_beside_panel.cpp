// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in emulator's display window opens beside the panel without
// covering it, on screens of the sizes people use, each with the panel in
// its middle as a window system places it; so does the traffic window where
// the screen has room for all three. The screens are the offscreen
// platform's, laid side by side.

#include "app/CTavrelDlg.h"
#include "emulator/window/EmulatorWindow.h"
#include "link/PortNames.h"
#include "link/dialogs/CTrafficWindow.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrel;

namespace {

struct ScreenSpec {
    const char* name;
    int width;
    int height;
    double pixelRatio;
    // Whether the panel and the display fit side by side at some scale.
    bool room;
};

// Sizes in device pixels; the last is a full-HD screen scaled by 1.5, which
// leaves the panel 1280 x 720 pixels of its own.
const ScreenSpec kScreens[] = {
    {"full-hd", 1920, 1080, 1.0, true},
    {"laptop", 1366, 768, 1.0, true},
    {"small", 1280, 800, 1.0, true},
    {"full-hd-150", 1920, 1080, 1.5, true},
    {"netbook", 1024, 600, 1.0, false},
};

QByteArray ScreensConfig()
{
    QByteArray screens;
    int x = 0;
    for (const ScreenSpec& s : kScreens) {
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
    return R"({"windowFrameMargins": true, "screens": [)" + screens + "]}";
}

QScreen* ScreenNamed(const QString& name)
{
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == name)
            return screen;
    return nullptr;
}

QString Rect(const QRect& r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class TestEmulatorWindowBesidePanel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void staysClearOfThePanel_data()
    {
        QTest::addColumn<QString>("screenName");
        QTest::addColumn<bool>("room");
        for (const ScreenSpec& s : kScreens)
            QTest::newRow(s.name) << QString::fromLatin1(s.name) << s.room;
    }

    void staysClearOfThePanel()
    {
        QFETCH(QString, screenName);
        QFETCH(bool, room);
        QScreen* screen = ScreenNamed(screenName);
        QVERIFY2(screen, qPrintable(QStringLiteral("no screen %1").arg(screenName)));
        const QRect available = screen->availableGeometry();

        PanelOptions options;
        options.portName = EmulatorPortName();
        CTavrelDlg panel(options);
        QWidget* display = panel.emulatorWindow();
        QVERIFY(display);
        panel.setScreen(screen);
        panel.adjustSize();
        panel.move(available.center() - QPoint(panel.width() / 2, panel.height() / 2));
        panel.show();
        QTRY_VERIFY(display->isVisible());

        const QRect panelFrame = panel.frameGeometry();
        const QRect displayFrame = display->frameGeometry();
        const QString where = QStringLiteral("screen %1, panel %2, display %3")
                                  .arg(Rect(available), Rect(panelFrame), Rect(displayFrame));
        QVERIFY2(available.contains(displayFrame), qPrintable(where));
        if (room) {
            QVERIFY2(available.contains(panelFrame), qPrintable(where));
            QVERIFY2(!panelFrame.intersects(displayFrame), qPrintable(where));
        } else {
            // Over the panel's top-right corner, as far out of its way as
            // the screen allows.
            QVERIFY2(displayFrame.topRight() == available.topRight(), qPrintable(where));
        }
        // Where there is plenty of room the display keeps its full size.
        if (screenName == QLatin1String("full-hd"))
            QCOMPARE(static_cast<quennel::EmulatorWindow*>(display)->scale(), quennel::EmulatorWindow::kDefaultScale);
    }

    // On a full-HD screen the traffic window finds a place of its own too,
    // clear of the panel and of the display.
    void trafficWindowStaysClearOfBoth()
    {
        QScreen* screen = ScreenNamed(QStringLiteral("full-hd"));
        QVERIFY(screen);
        const QRect available = screen->availableGeometry();
        PanelOptions options;
        options.portName = EmulatorPortName();
        CTavrelDlg panel(options);
        QWidget* display = panel.emulatorWindow();
        panel.setScreen(screen);
        panel.adjustSize();
        panel.move(available.center() - QPoint(panel.width() / 2, panel.height() / 2));
        panel.show();
        QTRY_VERIFY(display->isVisible());
        panel.showTrafficHistory();
        QWidget* traffic = panel.trafficWindow();
        QTRY_VERIFY(traffic->isVisible());

        const QRect trafficFrame = traffic->frameGeometry();
        const QString where = QStringLiteral("screen %1, panel %2, display %3, traffic %4")
                                  .arg(Rect(available), Rect(panel.frameGeometry()), Rect(display->frameGeometry()),
                                       Rect(trafficFrame));
        QVERIFY2(available.contains(trafficFrame), qPrintable(where));
        QVERIFY2(!trafficFrame.intersects(panel.frameGeometry()), qPrintable(where));
        QVERIFY2(!trafficFrame.intersects(display->frameGeometry()), qPrintable(where));
        QVERIFY2(traffic->width() >= traffic->minimumSizeHint().width(), qPrintable(where));
    }
};

int main(int argc, char** argv)
{
    QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(ScreensConfig()) < 0)
        return 1;
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    TestEmulatorWindowBesidePanel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_emulator_window_beside_panel.moc"

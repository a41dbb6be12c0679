// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in emulator's display window opens beside the panel without
// covering it, on screens of the sizes people use, each with the panel in
// its middle as a window system places it; so does the traffic window where
// the screen has room for all three, and where it has not, over the panel
// but clear of the display. The screens are the offscreen platform's, laid
// side by side.

#include "app/CTavrelDlg.h"
#include "emulator/window/EmulatorWindow.h"
#include "link/PortNames.h"
#include "link/dialogs/CTrafficWindow.h"
#include "support/OffscreenScreens.h"

#include <QApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

// Whether the panel and the display fit side by side at the panel's full
// width, by screen (the screens are set up at the end of this file, in
// device pixels). Full HD scaled by 1.5 leaves the panel 1280 x 720 pixels
// of its own; 1280 x 800 and 1366 x 768 at 1.5 only 853 x 533 and 911 x 512,
// less than the panel: it is made narrower for the display.
const struct {
    const char* name;
    bool room;
} kScreens[] = {
    {"full-hd", true},   {"laptop", true},     {"small", true},      {"full-hd-150", true},
    {"netbook", false},  {"small-150", false}, {"laptop-150", false},
};

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
        for (const auto& s : kScreens)
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
        // Both on the screen, the display never over the panel's buttons:
        // where the screen is too small, the panel is narrower for it.
        QVERIFY2(available.contains(displayFrame), qPrintable(where));
        QVERIFY2(available.contains(panelFrame), qPrintable(where));
        QVERIFY2(!panelFrame.intersects(displayFrame), qPrintable(where));
        QCOMPARE(panel.width() < panel.maximumWidth(), !room);
        // Where there is plenty of room the display keeps its full size.
        if (screenName == QLatin1String("full-hd"))
            QCOMPARE(static_cast<quennel::EmulatorWindow*>(display)->scale(), quennel::EmulatorWindow::kDefaultScale);
    }

    // On a full-HD screen the traffic window finds a place of its own too,
    // clear of the panel and of the display; on a small one it goes over the
    // panel, clear of the display and of the status window and Quit. Moved
    // onto the display, it makes the display step aside.
    void trafficWindowStaysClearOfBoth_data()
    {
        QTest::addColumn<QString>("screenName");
        QTest::newRow("full-hd") << QStringLiteral("full-hd");
        QTest::newRow("small-150") << QStringLiteral("small-150");
    }

    void trafficWindowStaysClearOfBoth()
    {
        QFETCH(QString, screenName);
        QScreen* screen = ScreenNamed(screenName);
        QVERIFY(screen);
        const QRect available = screen->availableGeometry();
        PanelOptions options;
        options.portName = EmulatorPortName();
        CTavrelDlg panel(options);
        QWidget* display = panel.emulatorWindow();
        panel.setScreen(screen);
        panel.move(available.topLeft());
        panel.show();
        QTRY_VERIFY(display->isVisible());
        panel.showTrafficHistory();
        QWidget* traffic = panel.trafficWindow();
        QTRY_VERIFY(traffic->isVisible());

        auto where = [&] {
            return QStringLiteral("screen %1, panel %2, display %3, traffic %4")
                .arg(Rect(available), Rect(panel.frameGeometry()), Rect(display->frameGeometry()),
                     Rect(traffic->frameGeometry()));
        };
        const QRect trafficFrame = traffic->frameGeometry();
        QVERIFY2(available.contains(trafficFrame), qPrintable(where()));
        QVERIFY2(!trafficFrame.intersects(display->frameGeometry()), qPrintable(where()));
        QVERIFY2(traffic->width() >= traffic->minimumSizeHint().width(), qPrintable(where()));
        if (screenName == QLatin1String("full-hd")) {
            QVERIFY2(!trafficFrame.intersects(panel.frameGeometry()), qPrintable(where()));
        } else {
            for (const char* name : {"statusWindow", "quitButton"}) {
                const QWidget* control = panel.findChild<QWidget*>(QLatin1String(name));
                QVERIFY2(!trafficFrame.intersects(QRect(control->mapToGlobal(QPoint(0, 0)), control->size())),
                         qPrintable(where()));
            }
        }

        // The user drags the traffic window onto the display: where there
        // is room, the display steps aside, the traffic window stays where
        // it was put.
        if (screenName != QLatin1String("full-hd"))
            return;
        const QPoint onDisplay = display->frameGeometry().topLeft();
        traffic->move(onDisplay);
        QTRY_VERIFY_WITH_TIMEOUT(!traffic->frameGeometry().intersects(display->frameGeometry()), 10000);
        QCOMPARE(traffic->pos(), onDisplay);
        QVERIFY2(available.contains(display->frameGeometry()), qPrintable(where()));
    }
};

QTEST_MAIN_ON_SCREENS(TestEmulatorWindowBesidePanel, {"full-hd", 1920, 1080, 1.0}, {"laptop", 1366, 768, 1.0},
                      {"small", 1280, 800, 1.0}, {"full-hd-150", 1920, 1080, 1.5}, {"netbook", 1024, 600, 1.0},
                      {"small-150", 1280, 800, 1.5}, {"laptop-150", 1366, 768, 1.5})
#include "tst_emulator_window_beside_panel.moc"

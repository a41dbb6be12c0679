// SPDX-License-Identifier: GPL-3.0-or-later
// Where the emulator's display window goes beside the panel, for the screens
// people have: room on one side or another, no room at all, a screen that is
// not the first one, a window larger than the screen.

#include "app/WindowPlacement.h"

#include <QtTest>

using namespace tavrel;

namespace {
constexpr int kGap = 8;
const QSize kWindow(396, 300);
const QRect kFullHd(0, 0, 1920, 1080);
} // namespace

class TestWindowPlacement : public QObject {
    Q_OBJECT
private slots:
    void firstSideWithRoomWins_data()
    {
        QTest::addColumn<QRect>("panel");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("expected");

        QTest::newRow("right, top edges aligned") << QRect(100, 50, 900, 650) << kWindow << kFullHd << QPoint(1008, 50);
        QTest::newRow("right, exactly fitting") << QRect(1116 - 900, 50, 900, 650) << kWindow
                                                << QRect(0, 0, 1116 + kGap + 396, 800) << QPoint(1124, 50);
        QTest::newRow("right, lifted to stay on screen")
            << QRect(100, 700, 900, 300) << QSize(396, 500) << kFullHd << QPoint(1008, 580);
        QTest::newRow("below, left edges aligned")
            << QRect(1000, 0, 900, 500) << kWindow << kFullHd << QPoint(1000, 508);
        QTest::newRow("below, pushed left to stay on screen")
            << QRect(1600, 0, 320, 500) << kWindow << kFullHd << QPoint(1524, 508);
        QTest::newRow("left") << QRect(1000, 300, 900, 700) << kWindow << kFullHd << QPoint(596, 300);
        QTest::newRow("above") << QRect(200, 600, 1500, 480) << kWindow << kFullHd << QPoint(200, 292);
        QTest::newRow("second screen, below a taskbar")
            << QRect(1950, 20, 600, 400) << kWindow << QRect(1920, 30, 1280, 994) << QPoint(2558, 30);
    }

    void firstSideWithRoomWins()
    {
        QFETCH(QRect, panel);
        QFETCH(QSize, window);
        QFETCH(QRect, available);
        QFETCH(QPoint, expected);
        const WindowPlace place = PlaceBesidePanel(panel, window, available, kGap);
        QCOMPARE(place.topLeft, expected);
        QVERIFY(place.clear);
        const QRect frame(place.topLeft, window);
        QVERIFY(available.contains(frame));
        QVERIFY(!frame.intersects(panel));
    }

    // 1280 x 800 with the panel in the middle: no side has room, so the
    // window covers the panel's top-right corner, as little of it as the
    // screen allows.
    void withoutRoomCoversTheTopRightCorner()
    {
        const QRect panel(164, 69, 952, 661);
        const WindowPlace place = PlaceBesidePanel(panel, kWindow, QRect(0, 0, 1280, 800), kGap);
        QCOMPARE(place.topLeft, QPoint(884, 0));
        QVERIFY(!place.clear);

        // A window larger than the screen starts at its top-left.
        const WindowPlace huge = PlaceBesidePanel(QRect(0, 0, 100, 100), QSize(400, 300), QRect(0, 0, 200, 150), kGap);
        QCOMPARE(huge.topLeft, QPoint(0, 0));
        QVERIFY(!huge.clear);
    }

    // A third window (the traffic history) beside the panel and the
    // emulator's window, covering neither.
    void besideThePanelAndAnotherWindow_data()
    {
        QTest::addColumn<QRect>("panel");
        QTest::addColumn<QRect>("other");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("right is taken: below the panel")
            << QRect(100, 50, 900, 650) << QRect(1008, 50, 396, 300) << QSize(800, 300) << QPoint(100, 708);
        QTest::newRow("right is taken, yet there is room under the other")
            << QRect(100, 50, 900, 650) << QRect(1008, 50, 396, 300) << QSize(600, 600) << QPoint(1008, 358);
        QTest::newRow("only beside the other window")
            << QRect(0, 0, 900, 1000) << QRect(908, 0, 396, 300) << QSize(500, 300) << QPoint(1312, 0);
        QTest::newRow("the other is elsewhere: right of the panel")
            << QRect(100, 50, 900, 650) << QRect(100, 708, 396, 300) << QSize(500, 300) << QPoint(1008, 50);
    }
    void besideThePanelAndAnotherWindow()
    {
        QFETCH(QRect, panel);
        QFETCH(QRect, other);
        QFETCH(QSize, window);
        QFETCH(QPoint, expected);
        const WindowPlace place = PlaceBesideWindows(panel, {other}, window, kFullHd, kGap);
        QCOMPARE(place.topLeft, expected);
        QVERIFY(place.clear);
        const QRect frame(place.topLeft, window);
        QVERIFY(kFullHd.contains(frame));
        QVERIFY(!frame.intersects(panel));
        QVERIFY(!frame.intersects(other));
    }

    void withoutRoomBesideEitherItCoversTheCorner()
    {
        const QRect panel(164, 69, 952, 661);
        const QRect available(0, 0, 1280, 800);
        const WindowPlace place = PlaceBesideWindows(panel, {QRect(1124, 69, 150, 150)}, kWindow, available, kGap);
        QCOMPARE(place.topLeft, PlaceBesidePanel(panel, kWindow, available, kGap).topLeft);
        QVERIFY(!place.clear);
        // With no other window it is PlaceBesidePanel.
        const QRect roomy(100, 50, 900, 650);
        QCOMPARE(PlaceBesideWindows(roomy, {}, kWindow, kFullHd, kGap).topLeft,
                 PlaceBesidePanel(roomy, kWindow, kFullHd, kGap).topLeft);
    }

    void panelMovesLeftOnlyWhenThatMakesRoom_data()
    {
        QTest::addColumn<QRect>("panel");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("expected");

        // 1366 x 768, panel centred: 205 pixels short on the right, 207 free on the left.
        QTest::newRow("moves just enough") << QRect(207, 53, 952, 661) << QSize(404, 300) << QRect(0, 0, 1366, 768)
                                           << QPoint(2, 53);
        QTest::newRow("not far enough to help") << QRect(164, 69, 952, 661) << kWindow << QRect(0, 0, 1280, 800)
                                                << QPoint(164, 69);
        QTest::newRow("already room") << QRect(100, 50, 900, 650) << kWindow << kFullHd << QPoint(100, 50);
        QTest::newRow("window taller than the screen")
            << QRect(300, 0, 600, 400) << QSize(300, 900) << QRect(0, 0, 1000, 800) << QPoint(300, 0);
        QTest::newRow("second screen keeps its left edge")
            << QRect(2100, 100, 952, 600) << kWindow << QRect(1920, 0, 1366, 768) << QPoint(1930, 100);
    }

    void panelMovesLeftOnlyWhenThatMakesRoom()
    {
        QFETCH(QRect, panel);
        QFETCH(QSize, window);
        QFETCH(QRect, available);
        QFETCH(QPoint, expected);
        const QPoint moved = PanelPositionMakingRoom(panel, window, available, kGap);
        QCOMPARE(moved, expected);
        if (moved != panel.topLeft()) {
            const QRect movedPanel(moved, panel.size());
            QVERIFY(available.contains(movedPanel));
            QVERIFY(PlaceBesidePanel(movedPanel, window, available, kGap).clear);
        }
    }
};

QTEST_MAIN(TestWindowPlacement)
#include "tst_window_placement.moc"

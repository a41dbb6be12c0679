// SPDX-License-Identifier: GPL-3.0-or-later
// The emulator's display window: integer scaling without smoothing, the
// pixel under the mouse, and saving through the owner's path chooser.

#include "emulator/Emulator.h"
#include "emulator/window/EmulatorWindow.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

using quennel::Emulator;
using quennel::EmulatorWindow;

namespace {

QByteArray setPixel(int x, int y, quint16 c)
{
    QByteArray out;
    for (int v : {0x50, x, y, c >> 8, c & 0xFF})
        out += char(v);
    return out;
}

// Where module pixel (x, y) starts in the window (searched, not computed
// from the layout rules).
QPoint blockOrigin(const EmulatorWindow& window, int x, int y)
{
    for (int wy = 0; wy < window.height(); ++wy) {
        for (int wx = 0; wx < window.width(); ++wx) {
            if (window.modulePixelAt(QPoint(wx, wy)) == QPoint(x, y))
                return QPoint(wx, wy);
        }
    }
    return QPoint(-1, -1);
}

} // namespace

class TestEmulatorWindow : public QObject {
    Q_OBJECT

private slots:
    void showsPixelsAsExactBlocks();
    void tracksPixelUnderMouse();
    void savesOnlyThroughChooser();
};

void TestEmulatorWindow::showsPixelsAsExactBlocks()
{
    Emulator emulator;
    EmulatorWindow window(&emulator);
    QCOMPARE(window.windowTitle(), QStringLiteral("Quennel Emulator"));
    QCOMPARE(window.scale(), 4);
    window.setScale(3);
    window.resize(window.sizeHint());
    QVERIFY(window.sizeHint().width() >= 96 * 3);
    QVERIFY(window.sizeHint().height() >= 64 * 3);

    emulator.feed(setPixel(10, 5, 0xF800) + setPixel(11, 5, 0x001F));
    const QImage shot = window.grab().toImage();
    const QPoint red = blockOrigin(window, 10, 5);
    QVERIFY(red.x() >= 0);
    for (int dy = 0; dy < 3; ++dy) {
        for (int dx = 0; dx < 3; ++dx) {
            QCOMPARE(shot.pixel(red + QPoint(dx, dy)), qRgb(255, 0, 0));
            QCOMPARE(shot.pixel(red + QPoint(3 + dx, dy)), qRgb(0, 0, 255));
        }
    }
    QCOMPARE(shot.pixel(red + QPoint(-1, 0)), qRgb(0, 0, 0));
    QCOMPARE(shot.pixel(red + QPoint(0, 3)), qRgb(0, 0, 0));
}

void TestEmulatorWindow::tracksPixelUnderMouse()
{
    Emulator emulator;
    EmulatorWindow window(&emulator);
    window.resize(window.sizeHint());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QPoint origin = blockOrigin(window, 0, 0);
    QCOMPARE(window.modulePixelAt(origin + QPoint(4 * 95 + 3, 4 * 63 + 3)), QPoint(95, 63));
    QCOMPARE(window.modulePixelAt(origin + QPoint(4 * 96, 0)), QPoint(-1, -1));
    QCOMPARE(window.modulePixelAt(origin - QPoint(1, 0)), QPoint(-1, -1));

    QTest::mouseMove(&window, origin + QPoint(4 * 7 + 1, 4 * 9 + 2));
    QTRY_COMPARE(window.statusText(), QStringLiteral("x 7, y 9"));
}

void TestEmulatorWindow::savesOnlyThroughChooser()
{
    Emulator emulator;
    emulator.feed(setPixel(3, 3, 0x07E0));
    EmulatorWindow window(&emulator);
    QAction* save = window.saveFrameAction();
    QVERIFY(!save->isEnabled());
    save->trigger(); // nothing to ask, nothing happens

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("shot.png"));
    int asked = 0;
    window.setSaveFramePathChooser([&](QWidget* parent) {
        ++asked;
        return parent == &window ? path : QString();
    });
    QVERIFY(save->isEnabled());
    save->trigger();
    QCOMPARE(asked, 1);
    QCOMPARE(QImage(path).pixel(3, 3), qRgb(0, 255, 0));

    window.setSaveFramePathChooser([](QWidget*) { return QString(); });
    QFile::remove(path);
    save->trigger();
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestEmulatorWindow)
#include "tst_emulator_window.moc"

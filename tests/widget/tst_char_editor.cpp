// SPDX-License-Identifier: GPL-3.0-or-later
// The Character Editor: grid geometry and hit test, set and clear on
// release, painting while dragging, Set All and Clear All, the number field,
// the packet built by OK, and its visible Cancel.

#include "support/ModalDriver.h"
#include "support/TestBytes.h"
#include "widgets/COledCharEdit.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

void Mouse(QWidget* widget, QEvent::Type type, QPoint position, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(position), widget->mapToGlobal(QPointF(position)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void Release(QWidget* widget, QPoint position, Qt::MouseButton button)
{
    Mouse(widget, QEvent::MouseButtonRelease, position, button, Qt::NoButton);
}

void Move(QWidget* widget, QPoint position, Qt::MouseButtons held)
{
    Mouse(widget, QEvent::MouseMove, position, Qt::NoButton, held);
}

// The centre of a cell in client pixels.
QPoint Centre(int column, int row)
{
    return COledCharEdit::CellRect(column, row).center();
}

// The cells as eight strings of '#' and '.', top row first.
QStringList Picture(const COledCharEdit& editor)
{
    QStringList rows;
    for (int row = 0; row < COledCharEdit::kCells; ++row) {
        QString line;
        for (int column = 0; column < COledCharEdit::kCells; ++column)
            line += editor.isCellSet(column, row) ? QLatin1Char('#') : QLatin1Char('.');
        rows << line;
    }
    return rows;
}

// An editor on screen, ready for mouse events.
struct ShownEditor {
    COledCharEdit editor;
    ShownEditor()
    {
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
    }
    void click(const char* name) { QTest::mouseClick(editor.findChild<QPushButton*>(name), Qt::LeftButton); }
    void setNumber(const QString& text)
    {
        auto* edit = editor.findChild<QLineEdit*>("charNumberEdit");
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

} // namespace

class TestCharEditor : public QObject {
    Q_OBJECT
private slots:
    void hitTest_data()
    {
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<int>("column");  // -1: off the grid
        QTest::addColumn<int>("row");
        QTest::newRow("margin (5, 5)") << QPoint(5, 5) << 0 << 0;
        QTest::newRow("corner of the window") << QPoint(0, 0) << 0 << 0;
        QTest::newRow("first cell pixel (10, 10)") << QPoint(10, 10) << 0 << 0;
        QTest::newRow("gap pixel (24, 24)") << QPoint(24, 24) << 0 << 0;
        QTest::newRow("next column (25, 10)") << QPoint(25, 10) << 1 << 0;
        QTest::newRow("last cell's gap (129, 129)") << QPoint(129, 129) << 7 << 7;
        QTest::newRow("interior (70, 100)") << QPoint(70, 100) << 4 << 6;
        QTest::newRow("right of the grid (130, 10)") << QPoint(130, 10) << -1 << -1;
        QTest::newRow("below the grid (10, 130)") << QPoint(10, 130) << -1 << -1;
        QTest::newRow("left of the window") << QPoint(-3, 10) << -1 << -1;
        QTest::newRow("above the window") << QPoint(10, -1) << -1 << -1;
    }
    void hitTest()
    {
        QFETCH(QPoint, position);
        QFETCH(int, column);
        QFETCH(int, row);
        int c = -1;
        int r = -1;
        const bool on = COledCharEdit::CellAt(position, c, r);
        QCOMPARE(on, column >= 0);
        if (on) {
            QCOMPARE(c, column);
            QCOMPARE(r, row);
        }
    }

    void gridIsPaintedAtItsPixelGeometry()
    {
        ShownEditor shown;
        COledCharEdit& editor = shown.editor;
        Release(&editor, Centre(0, 0), Qt::LeftButton);
        Release(&editor, Centre(7, 7), Qt::LeftButton);
        const QImage image = editor.grab().toImage();
        const QColor background = editor.palette().color(QPalette::Window);
        QVERIFY(background != QColor(Qt::white) && background != QColor(Qt::black));
        // Cell (0, 0) spans 10..23 and is set; the gap at 24 shows the dialog.
        QCOMPARE(image.pixelColor(10, 10), QColor(Qt::black));
        QCOMPARE(image.pixelColor(23, 23), QColor(Qt::black));
        QCOMPARE(image.pixelColor(24, 10), background);
        QCOMPARE(image.pixelColor(9, 9), background);
        // Cell (1, 0) is clear: white from 25 on.
        QCOMPARE(image.pixelColor(25, 10), QColor(Qt::white));
        // The last cell ends at 128.
        QCOMPARE(image.pixelColor(128, 128), QColor(Qt::black));
        QCOMPARE(image.pixelColor(129, 128), background);
    }

    void releaseSetsAndClearsPressAloneDoesNothing()
    {
        ShownEditor shown;
        COledCharEdit& editor = shown.editor;
        Mouse(&editor, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
        QVERIFY(!editor.isCellSet(0, 0));
        Release(&editor, QPoint(5, 5), Qt::LeftButton);
        QVERIFY(editor.isCellSet(0, 0));
        Release(&editor, QPoint(24, 24), Qt::RightButton);
        QVERIFY(!editor.isCellSet(0, 0));
        Release(&editor, QPoint(130, 10), Qt::LeftButton);
        QCOMPARE(Picture(editor), QStringList(8, "........"));
        // The same through real mouse clicks.
        QTest::mouseClick(&editor, Qt::LeftButton, Qt::NoModifier, QPoint(25, 10));
        QVERIFY(editor.isCellSet(1, 0));
        shown.click("setAllButton");
        shown.click("clearAllButton");
        QCOMPARE(Picture(editor), QStringList(8, "........"));
    }

    void draggingPaints_data()
    {
        QTest::addColumn<int>("held");
        QTest::addColumn<QString>("row");
        // Row 2 starts as "....####"; the pointer sweeps over cells 0 to 4.
        QTest::newRow("left sets") << int(Qt::LeftButton) << "########";
        QTest::newRow("right clears") << int(Qt::RightButton) << ".....###";
        QTest::newRow("both set") << int(Qt::LeftButton | Qt::RightButton) << "########";
        QTest::newRow("none does nothing") << int(Qt::NoButton) << "....####";
    }
    void draggingPaints()
    {
        QFETCH(int, held);
        QFETCH(QString, row);
        ShownEditor shown;
        COledCharEdit& editor = shown.editor;
        for (int column = 4; column < 8; ++column)
            Release(&editor, Centre(column, 2), Qt::LeftButton);
        // Sweep from the margin through cell 4, leaving the window on the left
        // side first (moves outside the window must not paint).
        Move(&editor, QPoint(-20, Centre(0, 2).y()), Qt::MouseButtons(held));
        for (int x = 0; x <= Centre(4, 2).x(); x += 3)
            Move(&editor, QPoint(x, Centre(0, 2).y()), Qt::MouseButtons(held));
        QStringList expected(8, "........");
        expected[2] = row;
        QCOMPARE(Picture(editor), expected);
    }

    void okBuildsThePacket_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QStringList>("picture");
        QTest::addColumn<QByteArray>("packet");
        const QStringList blank(8, "........");
        QTest::newRow("blank, empty number") << "" << blank << Bytes({0x41, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        QTest::newRow("Set All, number 5") << "5" << QStringList() << Bytes({0x41, 5, 255, 255, 255, 255, 255, 255, 255, 255});
        QTest::newRow("diagonal, 300") << "300"
                                       << QStringList{"#.......", ".#......", "..#.....", "...#....", "....#...",
                                                      ".....#..", "......#.", ".......#"}
                                       << Bytes({0x41, 44, 0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01});
        QStringList corner = blank;
        corner[0] = "########";
        corner[7] = "#.......";
        QTest::newRow("top row and a corner") << "40" << corner << Bytes({0x41, 40, 0xFF, 0, 0, 0, 0, 0, 0, 0x80});
    }
    void okBuildsThePacket()
    {
        QFETCH(QString, number);
        QFETCH(QStringList, picture);
        QFETCH(QByteArray, packet);
        ShownEditor shown;
        if (picture.isEmpty())
            shown.click("setAllButton");
        for (int row = 0; row < picture.size(); ++row)
            for (int column = 0; column < 8; ++column)
                if (picture[row][column] == QLatin1Char('#'))
                    Release(&shown.editor, Centre(column, row), Qt::LeftButton);
        QCOMPARE(Picture(shown.editor), picture.isEmpty() ? QStringList(8, "########") : picture);
        shown.setNumber(number);
        shown.click("okButton");
        QCOMPARE(shown.editor.result(), int(QDialog::Accepted));
        QCOMPARE(shown.editor.m_userCharPacket, packet);
        QCOMPARE(shown.editor.m_charNumber, number);
    }

    void opensBlankAndCancelsWithItsVisibleButton()
    {
        COledCharEdit editor;
        ModalDriver driver;
        driver.expect(QStringLiteral("Character Editor"), [&](QWidget* d) {
            for (const char* name : {"charNumberEdit", "hintLabel", "charNumberLabel", "cancelButton"})
                driver.read(d, name);
            driver.note(d->findChild<QPushButton*>(QStringLiteral("cancelButton"))->isVisible() ? "shown" : "hidden");
            QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("setAllButton")), Qt::LeftButton);
            QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("cancelButton")), Qt::LeftButton);
        });
        QCOMPARE(editor.exec(), int(QDialog::Rejected));
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings(), (QStringList{"", "Use Left mouse button to set, right mouse button to clear pixels",
                                                 "Character # (0 to 31):", "Cancel", "shown"}));
        QVERIFY(editor.m_userCharPacket.isEmpty());
    }
};

QTEST_MAIN(TestCharEditor)
#include "tst_char_editor.moc"

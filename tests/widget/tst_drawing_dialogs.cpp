// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing commands from the panel's buttons through their real dialogs:
// titles, pre-filled texts and defaults, the vertex list, the buttons
// without a dialog, and Cancel writing nothing to the port.

#include "app/CTavrelDlg.h"
#include "link/PortNames.h"
#include "support/EmulatorProcess.h"
#include "support/ModalDriver.h"
#include "support/OpenPanel.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

// Records the named fields, types the texts into the first of them and
// presses OK.
ModalDriver::Answer Fill(ModalDriver& driver, const QStringList& names, const QStringList& texts = {})
{
    return [&driver, names, texts](QWidget* dialog) {
        for (const QString& name : names)
            driver.read(dialog, name);
        for (int i = 0; i < texts.size(); ++i)
            ModalDriver::setText(dialog, names.at(i), texts.at(i));
        ModalDriver::clickOk(dialog);
    };
}

} // namespace

class TestDrawingDialogs : public QObject {
    Q_OBJECT
private slots:
    void lineAndRectangleShareOneDialogAndItsPoints()
    {
        OpenPanel rig;
        const QStringList fields = {"x1Edit", "y1Edit", "x2Edit", "y2Edit"};
        ModalDriver driver;
        driver.expect("Enter Coordinates", Fill(driver, fields, {"0", "0", "95", "63"}));
        driver.expect("Enter Coordinates", Fill(driver, fields));
        rig.click("drawLineButton");
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Draw Line: 76,0,0,95,63,255,255 : 7 bytes written") + kAck);
        rig.click("drawRectangleButton");
        DRIVEN(driver);
        QCOMPARE(driver.readings(), (QStringList{"0", "0", "0", "0", "0", "0", "95", "63"}));
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Draw Rectangle: 114,0,0,95,63,255,255 : 7 bytes written") + kAck);
    }

    void dialogsOpenWithTheirDefaultsEveryTime()
    {
        OpenPanel rig;
        rig.panel.session().m_lastX = {"4", "60", "2", "3", "4", "5", "6"};
        rig.panel.session().m_lastY = {"5", "30", "2", "3", "4", "5", "6"};
        const QStringList circle = {"xEdit", "yEdit", "radiusEdit"};
        const QStringList triangle = {"x1Edit", "y1Edit", "x2Edit", "y2Edit", "x3Edit", "y3Edit"};
        ModalDriver driver;
        driver.expect("Draw Circle", Fill(driver, circle, {"4", "5", "20"}));
        driver.expect("Draw Circle", Fill(driver, circle));
        driver.expect("Draw Triangle", Fill(driver, triangle));
        driver.expect("Copy Area", Fill(driver, {"srcXEdit", "srcYEdit", "widthEdit", "heightEdit", "dstXEdit", "dstYEdit"}));
        for (const char* button : {"drawCircleButton", "drawCircleButton", "drawTriangleButton", "copyAreaButton"})
            rig.click(button);
        DRIVEN(driver);
        QCOMPARE(driver.readings(), (QStringList{"4", "5", "3", "4", "5", "3", "4", "5", "60", "30", "2", "2",
                                                 "4", "5", "8", "8", "60", "30"}));
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Copy Area: 99,4,5,60,30,8,8,255,255 : 9 bytes written") + kAck);
    }

    void polygonListOffersThreeToSevenAndStartsAtThree()
    {
        OpenPanel rig;
        ModalDriver driver;
        driver.expect("Draw Polygon", [&](QWidget* d) {
            auto* list = d->findChild<QComboBox*>("vertexList");
            QStringList items;
            for (int i = 0; list && i < list->count(); ++i)
                items << list->itemText(i);
            driver.note(items.join(' ') + (list && !list->isEditable() ? " (list only)" : ""));
            driver.read(d, "vertexList");
            for (int point = 1; point <= 7; ++point) {
                ModalDriver::setText(d, QStringLiteral("x%1Edit").arg(point), QString::number(2 * point - 1));
                ModalDriver::setText(d, QStringLiteral("y%1Edit").arg(point), QString::number(2 * point));
            }
            if (list)
                list->setCurrentIndex(list->findText("7"));
            ModalDriver::clickOk(d);
        });
        driver.expect("Draw Polygon", [&](QWidget* d) {
            driver.read(d, "vertexList");
            driver.read(d, "y7Edit");
            ModalDriver::pressEscape(d);
        });
        rig.click("drawPolygonButton");
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Draw Polygon: 103, 7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, "
                                                        "14, 255, 255, : 18 bytes written") + kAck);
        rig.click("drawPolygonButton");
        DRIVEN(driver);
        QCOMPARE(driver.readings(), (QStringList{"3 4 5 6 7 (list only)", "3", "3", "14"}));
    }

    void buttonsWithoutADialog()
    {
        OpenPanel rig;
        ModalDriver driver;  // none may open
        const QStringList logs = {"Erase Screen: 69 : 1 bytes written", "Set Background Color: 66,0,0 : 3 bytes written",
                                  "Pen Size=1: 112,1 : 2 bytes written", "Pen Size=0: 112,0 : 2 bytes written"};
        const QStringList buttons = {"clearScreenButton", "setBackgroundColorButton", "setWireFrameModeButton",
                                     "setSolidModeButton"};
        for (int i = 0; i < buttons.size(); ++i) {
            rig.click(buttons.at(i));
            QCOMPARE(rig.panel.statusText(), logs.at(i) + kAck);
        }
        DRIVEN(driver);
    }

    void cancelWritesNothingToThePort()
    {
#ifdef Q_OS_WIN
        QSKIP("needs a pseudo-terminal");
#else
        SilentPty line;
        QVERIFY(line.isOpen());
        OpenPanel rig(line.slavePath());
        QCOMPARE(rig.panel.statusText(), QStringLiteral("COM Port open successful."));
        rig.panel.setStatusText("typed by the user");
        const QStringList buttons = {"drawLineButton",   "drawRectangleButton", "drawTriangleButton",
                                     "drawCircleButton", "drawPolygonButton",   "copyAreaButton"};
        ModalDriver driver;
        for (const QString title : {"Enter Coordinates", "Enter Coordinates", "Draw Triangle", "Draw Circle",
                                    "Draw Polygon", "Copy Area"}) {
            driver.expect(title, [](QWidget* d) {
                QTest::keyClicks(d->focusWidget(), "7");  // typed, then cancelled
                ModalDriver::pressEscape(d);
            });
        }
        for (const QString& button : buttons)
            rig.click(button);
        DRIVEN(driver);
        QCOMPARE(rig.panel.statusText(), QStringLiteral("typed by the user"));
        QCOMPARE(rig.panel.session().m_lastX[0], QStringLiteral("0"));
        QCOMPARE(line.drainMaster(), QByteArray());
        // The same line does carry a command that is sent.
        rig.click("clearScreenButton");
        QCOMPARE(line.drainMaster(), QByteArray("\x45"));
#endif
    }
};

QTEST_MAIN(TestDrawingDialogs)
#include "tst_drawing_dialogs.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// Set Pixel and Read Pixel from the panel's buttons through the real
// "Enter Pixel Coordinates" dialog to the built-in emulator and back.

#include "app/CTavrelDlg.h"
#include "emulator/Emulator.h"
#include "link/PortNames.h"
#include "link/dialogs/CPIxelDialog.h"
#include "support/ModalDriver.h"
#include "support/OpenPanel.h"
#include "support/UiSeamRecorder.h"
#include "widgets/CXColourPicker.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

const QString kPixelTitle = QStringLiteral("Enter Pixel Coordinates");

// An answer that records the pre-filled texts, then types x and y and
// presses OK.
ModalDriver::Answer EnterPoint(ModalDriver& driver, const QString& x, const QString& y)
{
    return [&driver, x, y](QWidget* dialog) {
        driver.read(dialog, QStringLiteral("xEdit"));
        driver.read(dialog, QStringLiteral("yEdit"));
        ModalDriver::setText(dialog, QStringLiteral("xEdit"), x);
        ModalDriver::setText(dialog, QStringLiteral("yEdit"), y);
        ModalDriver::clickOk(dialog);
    };
}

} // namespace

class TestPanelPixelCommands : public QObject {
    Q_OBJECT
private slots:
    void pixelDialogShowsAndReturnsItsTexts()
    {
        CPIxelDialog dialog;
        dialog.m_x = QStringLiteral("12");
        dialog.m_y = QStringLiteral("abc");
        ModalDriver driver;
        driver.expect(kPixelTitle, [&](QWidget* d) {
            driver.read(d, QStringLiteral("xEdit"));
            driver.read(d, QStringLiteral("yEdit"));
            driver.note(d->focusWidget() ? d->focusWidget()->objectName() : QString());
            ModalDriver::setText(d, QStringLiteral("xEdit"), QStringLiteral("10px"));
            ModalDriver::setText(d, QStringLiteral("yEdit"), QStringLiteral("-1"));
            ModalDriver::clickOk(d);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings(), (QStringList{"12", "abc", "xEdit"}));
        QCOMPARE(dialog.m_x, QStringLiteral("10px"));
        QCOMPARE(dialog.m_y, QStringLiteral("-1"));
    }

    void setPixelDrawsOnTheEmulator()
    {
        OpenPanel rig;
        QCOMPARE(rig.panel.statusText(), QStringLiteral("COM Port open successful."));
        ModalDriver driver;
        driver.expect(kPixelTitle, EnterPoint(driver, "10", "20"));
        rig.click("setPixelButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings(), (QStringList{"0", "0"}));
        QCOMPARE(rig.panel.statusText(),
                 QStringLiteral("Set Pixel: 80,10,20,255,255 : 5 bytes written\r\n> Command Acknowledged"));
        QCOMPARE(rig.panel.emulator().pixel(10, 20), quint16(0xFFFF));
        QCOMPARE(rig.panel.session().m_lastX[0], QStringLiteral("10"));
        QCOMPARE(rig.panel.session().m_lastY[0], QStringLiteral("20"));
    }

    void readPixelTurnsTheForegroundToThePixelsColour()
    {
        OpenPanel rig;
        // Red 153, green 102, blue 51 travels as 0x9B, 0x26 and comes back
        // with the low bits of each channel cleared.
        rig.panel.emulator().feed(QByteArray("\x50\x03\x04\x9B\x26", 5));
        QSignalSpy changed(rig.panel.findChild<CXColourPicker*>("foregroundColour"), &CXColourPicker::colourChanged);
        ModalDriver driver;
        driver.expect(kPixelTitle, EnterPoint(driver, "3", "4"));
        rig.click("readPixelButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Read Pixel: 82,3,4 : 3 bytes written\r\n"
                                                         "> Foreground color set to 16-bit color response: 155, 38"));
        const HostColour expected = MakeHostColour(152, 100, 48);
        auto* picker = rig.panel.findChild<CXColourPicker*>("foregroundColour");
        QCOMPARE(picker->colour(), expected);
        QCOMPARE(picker->enabledColour(), expected);
        QCOMPARE(changed.count(), 0);
        const QImage face = picker->grab().toImage();
        QCOMPARE(face.pixelColor(picker->swatchRect().center()), QColor(152, 100, 48));
    }

    void outOfBoundsPointIsReportedAndForgotten_data()
    {
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::newRow("x past the edge") << "96" << "0";
        QTest::newRow("y past the edge") << "0" << "64";
        QTest::newRow("negative x") << "-1" << "0";
    }

    void outOfBoundsPointIsReportedAndForgotten()
    {
        QFETCH(QString, x);
        QFETCH(QString, y);
        OpenPanel rig;
        UiSeamRecorder seam;
        ModalDriver driver;
        driver.expect(kPixelTitle, EnterPoint(driver, "5", "6"));
        driver.expect(kPixelTitle, EnterPoint(driver, x, y));
        driver.expect(kPixelTitle, [&](QWidget* d) {
            driver.read(d, QStringLiteral("xEdit"));
            driver.read(d, QStringLiteral("yEdit"));
            ModalDriver::pressEscape(d);
        });
        rig.click("setPixelButton");
        const QVector<quint16> before = rig.panel.emulator().frame();

        rig.click("setPixelButton");
        QCOMPARE(seam.messages, QStringList{"Set Pixel Error|Pixel out of bounds!"});
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Set pixel bounds error."));
        QCOMPARE(rig.panel.emulator().frame(), before);

        rig.click("setPixelButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings().mid(4), (QStringList{"5", "6"}));
    }

    void cancelSendsNothing()
    {
        OpenPanel rig;
        rig.panel.setStatusText(QStringLiteral("typed by the user"));
        const QVector<quint16> before = rig.panel.emulator().frame();
        ModalDriver driver;
        driver.expect(kPixelTitle, [](QWidget* d) {
            ModalDriver::setText(d, QStringLiteral("xEdit"), QStringLiteral("1"));
            ModalDriver::pressEscape(d);
        });
        rig.click("setPixelButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(rig.panel.statusText(), QStringLiteral("typed by the user"));
        QCOMPARE(rig.panel.emulator().frame(), before);
        QCOMPARE(rig.panel.session().m_lastX[0], QStringLiteral("0"));
    }
};

QTEST_MAIN(TestPanelPixelCommands)
#include "tst_panel_pixel_commands.moc"

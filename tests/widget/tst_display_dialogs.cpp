// SPDX-License-Identifier: GPL-3.0-or-later
// The display-control commands from the panel's buttons through their real
// dialogs: Get Device Info's question, the Oled Control contrast check that
// keeps the dialog open, the defaults of every dialog, the hidden portrait
// choice, and Cancel writing nothing to the port.

#include "app/CTavrelDlg.h"
#include "emulator/Emulator.h"
#include "link/PortNames.h"
#include "support/EmulatorProcess.h"
#include "support/ModalDriver.h"
#include "support/OpenPanel.h"
#include "support/UiSeamRecorder.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

// "name=1" for a checked button, "name=0" for an unchecked one; "name=-"
// when it is not shown.
QString State(QWidget* dialog, const QString& name)
{
    auto* button = dialog->findChild<QAbstractButton*>(name);
    if (!button || !button->isVisibleTo(dialog))
        return name + QStringLiteral("=-");
    return name + (button->isChecked() ? QStringLiteral("=1") : QStringLiteral("=0"));
}

void Click(QWidget* dialog, const QString& name)
{
    if (auto* button = dialog->findChild<QAbstractButton*>(name))
        button->click();
}

} // namespace

class TestDisplayDialogs : public QObject {
    Q_OBJECT
private slots:
    void deviceInfoAsksFirst()
    {
        OpenPanel rig;
        rig.panel.setStatusText("typed by the user");
        ModalDriver driver;
        driver.expect("Tavrel", [](QWidget* d) { Click(d, "cancelButton"); });
        driver.expect("Tavrel", [](QWidget* d) { ModalDriver::pressEscape(d); });
        driver.expect("Tavrel", [](QWidget* d) { Click(d, "yesButton"); });
        driver.expect("Tavrel", [](QWidget* d) { Click(d, "noButton"); });
        rig.click("getDeviceInfoButton");
        rig.click("getDeviceInfoButton");
        QCOMPARE(rig.panel.statusText(), QStringLiteral("typed by the user"));
        rig.click("getDeviceInfoButton");
        const QString yes = rig.panel.statusText();
        rig.click("getDeviceInfoButton");
        DRIVEN(driver);
        QVERIFY2(yes.startsWith("Get Info: 86,1 : 2 bytes written\r\n> Vexa-Oled, Hardware version: "), qPrintable(yes));
        QVERIFY2(yes.endsWith("Horizontal Resolution: 96, Vertical Resolution: 64"), qPrintable(yes));
        QVERIFY(rig.panel.statusText().startsWith("Get Info: 86,0 : 2 bytes written\r\n> Vexa-Oled"));
    }

    void oledControlStaysOpenUntilTheContrastIsValid()
    {
        OpenPanel rig;
        UiSeamRecorder seam;
        ModalDriver driver;
        driver.expect("Oled Control Functions", [&](QWidget* d) {
            for (const char* name : {"displayOnOffRadio", "setContrastRadio", "powerOnOffRadio", "displayOffCheck",
                                     "powerOffCheck"})
                driver.note(State(d, name));
            driver.read(d, "contrastEdit");
            Click(d, "setContrastRadio");
            for (const char* entry : {"16", "abc", "15"}) {
                ModalDriver::setText(d, "contrastEdit", entry);
                ModalDriver::clickOk(d);
                driver.note(d->isVisible() && d->focusWidget() ? d->focusWidget()->objectName() : "closed");
            }
        });
        // Opens fresh; the check applies to every function.
        driver.expect("Oled Control Functions", [&](QWidget* d) {
            driver.note(State(d, "displayOnOffRadio"));
            driver.read(d, "contrastEdit");
            Click(d, "powerOnOffRadio");
            Click(d, "powerOffCheck");
            ModalDriver::setText(d, "contrastEdit", "x");
            ModalDriver::clickOk(d);
            ModalDriver::setText(d, "contrastEdit", "0");
            ModalDriver::clickOk(d);
        });
        rig.click("oledControlFunctionsButton");
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Oled Control: 89,1,15 : 3 bytes written") + kAck);
        rig.click("oledControlFunctionsButton");
        DRIVEN(driver);
        QCOMPARE(driver.readings(),
                 (QStringList{"displayOnOffRadio=1", "setContrastRadio=0", "powerOnOffRadio=0", "displayOffCheck=0",
                              "powerOffCheck=0", "0", "contrastEdit", "contrastEdit", "closed", "displayOnOffRadio=1",
                              "0"}));
        QCOMPARE(seam.messages, (QStringList{"Tavrel|Please enter an integer between 0 and 15.",
                                             "Tavrel|Please enter an integer.", "Tavrel|Please enter an integer."}));
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Oled Control: 89,2,0 : 3 bytes written") + kAck);
    }

    void otherDialogsOpenWithTheirDefaults()
    {
        OpenPanel rig;
        rig.panel.session().m_lastX[0] = "10";
        rig.panel.session().m_lastY[0] = "20";
        ModalDriver driver;
        driver.expect("Rotate Display", [&](QWidget* d) {
            for (const char* name : {"normalRadio", "upsideDownRadio", "portraitRadio"})
                driver.note(State(d, name));
            Click(d, "upsideDownRadio");
            ModalDriver::clickOk(d);
        });
        driver.expect("Dim Area", [&](QWidget* d) {
            for (const char* name : {"xEdit", "yEdit", "widthEdit", "heightEdit"})
                driver.read(d, name);
            ModalDriver::clickOk(d);
        });
        driver.expect("Scroll Control", [&](QWidget* d) {
            driver.note(State(d, "enableScrollingRadio"));
            driver.note(State(d, "enableCheck"));
            for (const char* name : {"speedEdit", "horizontalStepEdit", "startRowEdit", "rowCountEdit", "verticalStepEdit"})
                driver.read(d, name);
            Click(d, "rowCountRadio");
            ModalDriver::clickOk(d);
        });
        driver.expect("Write Command", [&](QWidget* d) {
            driver.read(d, "commandEdit");
            driver.read(d, "noteLabel");
            ModalDriver::clickOk(d);
        });
        QStringList logs;
        for (const char* button : {"rotateDisplayButton", "dimAreaButton", "scrollControlButton", "writeCommandButton"}) {
            rig.click(button);
            logs << rig.panel.statusText();
        }
        DRIVEN(driver);
        QCOMPARE(driver.readings(),
                 (QStringList{"normalRadio=1", "upsideDownRadio=0", "portraitRadio=-", "10", "20", "1", "1",
                              "enableScrollingRadio=1", "enableCheck=1", "1", "0", "0", "64", "1", "167",
                              "This sends a command to the SSD1331 Oled controller.  Examples:  "
                              "167=inverse display, 164=normal display"}));
        QCOMPARE(logs, (QStringList{"Rotate Display: 36,70,1 : 3 bytes written" + kAck,
                                    "Dim Area: 36,68,10,20,1,1 : 6 bytes written" + kAck,
                                    "Scroll Control: 36,83,5,64 : 4 bytes written" + kAck,
                                    "Write Command: 36,87,167 : 3 bytes written" + kAck}));
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
        ModalDriver driver;
        for (const QString title :
             {"Tavrel", "Oled Control Functions", "Rotate Display", "Dim Area", "Scroll Control", "Write Command"})
            driver.expect(title, [](QWidget* d) { ModalDriver::pressEscape(d); });
        for (const char* button : {"getDeviceInfoButton", "oledControlFunctionsButton", "rotateDisplayButton",
                                   "dimAreaButton", "scrollControlButton", "writeCommandButton"})
            rig.click(button);
        DRIVEN(driver);
        QCOMPARE(rig.panel.statusText(), QStringLiteral("typed by the user"));
        QCOMPARE(line.drainMaster(), QByteArray());
        rig.click("clearScreenButton");
        QCOMPARE(line.drainMaster(), QByteArray("\x45"));
#endif
    }
};

QTEST_MAIN(TestDisplayDialogs)
#include "tst_display_dialogs.moc"

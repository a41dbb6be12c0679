// SPDX-License-Identifier: GPL-3.0-or-later
// The panel itself on quennel-emu over a pseudo-terminal, and on a line that
// never answers: the same buttons and dialogs a user presses.

#include "app/CTavrelDlg.h"
#include "support/EmulatorProcess.h"
#include "support/ModalDriver.h"
#include "support/OpenPanel.h"
#include "support/UiSeamRecorder.h"
#include "widgets/CXColourPicker.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

const QString kPixelTitle = QStringLiteral("Enter Pixel Coordinates");

ModalDriver::Answer EnterPoint(const QString& x, const QString& y)
{
    return [x, y](QWidget* dialog) {
        ModalDriver::setText(dialog, QStringLiteral("xEdit"), x);
        ModalDriver::setText(dialog, QStringLiteral("yEdit"), y);
        ModalDriver::clickOk(dialog);
    };
}

} // namespace

class TestPanelOverPty : public QObject {
    Q_OBJECT
private slots:
    void setPixelThenReadItBack()
    {
        EmulatorProcess emulator;
        QVERIFY2(emulator.isReady(), qPrintable(emulator.errorString()));
        CTavrelDlg panel(OnPort(emulator.ptyPath()));
        panel.show();
        QVERIFY(panel.findChild<QLabel*>("portLabel")->text().startsWith(emulator.ptyPath()));

        Click(panel, "openPortButton");
        QCOMPARE(panel.statusText(), QStringLiteral("COM Port open successful."));

        ModalDriver driver;
        driver.expect(kPixelTitle, EnterPoint("10", "20"));
        Click(panel, "setPixelButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(panel.statusText(), QStringLiteral("Set Pixel: 80,10,20,255,255 : 5 bytes written\r\n> Command Acknowledged"));

        // Read it back after the foreground changed: the reply restores white.
        panel.setForegroundColour(MakeHostColour(0, 0, 255));
        driver.expect(kPixelTitle, [](QWidget* dialog) { ModalDriver::clickOk(dialog); });  // keeps 10, 20
        Click(panel, "readPixelButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(panel.statusText(), QStringLiteral("Read Pixel: 82,10,20 : 3 bytes written"
                                                    "\r\n> Foreground color set to 16-bit color response: 255, 255"));
        QCOMPARE(panel.findChild<CXColourPicker*>("foregroundColour")->colour(), MakeHostColour(248, 252, 248));

        Click(panel, "closePortButton");
        QCOMPARE(panel.statusText(), QStringLiteral("Serial Port Closed."));
    }

    void silentLineShowsNoResponseAfterAboutHalfASecond()
    {
        SilentPty silent;
        CTavrelDlg panel(OnPort(silent.slavePath()));
        panel.show();
        Click(panel, "openPortButton");
        QCOMPARE(panel.statusText(), QStringLiteral("COM Port open successful."));

        ModalDriver driver;
        driver.expect(kPixelTitle, EnterPoint("1", "2"));
        QElapsedTimer clock;
        clock.start();
        Click(panel, "setPixelButton");
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(panel.statusText(), QStringLiteral("Set Pixel: 80,1,2,255,255 : 5 bytes written\r\n> No response!"));
        QVERIFY2(elapsed >= 500 && elapsed < 4000, qPrintable(QString::number(elapsed)));
    }

    void missingDeviceLeavesThePortClosed()
    {
        UiSeamRecorder seam;
        CTavrelDlg panel(OnPort(QStringLiteral("/dev/tavrel-no-such-device")));
        panel.show();
        Click(panel, "openPortButton");
        QCOMPARE(panel.statusText(), QStringLiteral("Error Creating Com Port Interface."));
        Click(panel, "closePortButton");
        QCOMPARE(panel.statusText(), QStringLiteral("Error Creating Com Port Interface."));

        // Commands still go nowhere, with a zero count and no reply.
        ModalDriver driver;
        driver.expect(kPixelTitle, EnterPoint("3", "4"));
        Click(panel, "setPixelButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(panel.statusText(), QStringLiteral("Set Pixel: 80,3,4,255,255 : 0 bytes written\r\n> No response!"));
    }
};

QTEST_MAIN(TestPanelOverPty)
#include "tst_panel_over_pty.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The port label and the lamp beside it: a long device path is elided so
// that the device's own name and the baud rate stay, with the whole text
// kept in the tooltip, and the lamp follows the port through open, close
// and failed opens without touching the label.

#include "app/CTavrelDlg.h"
#include "link/PortNames.h"
#include "widgets/ElidingLabel.h"
#include "widgets/PortStateLamp.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QtTest>

using namespace tavrel;

namespace {

PanelOptions StartingOn(const QString& port)
{
    PanelOptions options;
    options.showEmulatorWindow = false;
    options.portName = port;
    return options;
}

void Click(QWidget* panel, const char* button)
{
    panel->findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

} // namespace

class TestPortState : public QObject {
    Q_OBJECT
private slots:
    // The label keeps the device's own name and the baud rate; what goes
    // first is the folder. Short names are shown whole.
    void labelKeepsTheDeviceNameAndBaudRate_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("shownEnd");
        QTest::newRow("ttyUSB0") << "/dev/ttyUSB0" << "ttyUSB0, 115200";
        QTest::newRow("ttyACM12") << "/dev/ttyACM12" << "ttyACM12, 115200";
        QTest::newRow("by-id") << "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"
                               << "-port0, 115200";
        QTest::newRow("COM5") << "COM5" << "COM5, 115200";
        QTest::newRow("COM12") << "\\\\.\\COM12" << "COM12, 115200";
        QTest::newRow("emulator") << EmulatorPortName() << EmulatorPortName() + ", 115200";
    }

    void labelKeepsTheDeviceNameAndBaudRate()
    {
        QFETCH(QString, port);
        QFETCH(QString, shownEnd);
        CTavrelDlg panel(StartingOn(port));
        auto* label = panel.findChild<ElidingLabel*>(QStringLiteral("portLabel"));
        QVERIFY(label);
        const QString full = port + QStringLiteral(", 115200");
        QCOMPARE(label->text(), full);
        QCOMPARE(label->toolTip(), full);
        const QString shown = label->displayedText();
        QVERIFY2(shown.endsWith(shownEnd), qPrintable(shown + QStringLiteral(" in %1 pixels").arg(label->contentsRect().width())));
        QVERIFY(label->fontMetrics().horizontalAdvance(shown) <= label->contentsRect().width());
        QCOMPARE(shown == full, !shown.contains(QChar(0x2026)));
        // The label stays where it was placed, inside the Serial Port group.
        auto* group = panel.findChild<QGroupBox*>(QStringLiteral("serialPortGroup"));
        QVERIFY(group->rect().contains(label->geometry()));
    }

    // Narrower than the whole tail: the name loses its start, the baud
    // rate stays; a folder is elided before any of the name.
    void elisionRules_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("tail");
        QTest::addColumn<QString>("room");
        QTest::addColumn<QString>("shownEnd");
        const QString e(QChar(0x2026));
        QTest::newRow("whole") << "/dev/ttyUSB0, 9600" << 13 << "/dev/ttyUSB0, 9600" << "/dev/ttyUSB0, 9600";
        QTest::newRow("folder goes") << "/dev/ttyUSB0, 9600" << 13 << e + "ttyUSB0, 9600" << e + "ttyUSB0, 9600";
        QTest::newRow("name's start goes") << "/dev/ttyUSB0, 9600" << 13 << e + "USB0, 9600" << "B0, 9600";
        QTest::newRow("no folder") << "ttyACM12, 9600" << 14 << e + "M12, 9600" << "2, 9600";
    }

    void elisionRules()
    {
        QFETCH(QString, text);
        QFETCH(int, tail);
        QFETCH(QString, room);
        QFETCH(QString, shownEnd);
        const QFontMetrics metrics(QApplication::font());
        const int width = metrics.horizontalAdvance(room) + 1;
        const QString shown = ElidingLabel::elide(metrics, text, tail, 6, width);
        QVERIFY2(shown.endsWith(shownEnd), qPrintable(shown));
        QVERIFY2(metrics.horizontalAdvance(shown) <= width, qPrintable(shown));
        QCOMPARE(shown == text, !shown.contains(QChar(0x2026)));
    }

    void lampFollowsThePort()
    {
        CTavrelDlg panel(StartingOn(EmulatorPortName()));
        auto* lamp = panel.findChild<PortStateLamp*>(QStringLiteral("portStateLamp"));
        QVERIFY(lamp);
        const QString label = panel.findChild<ElidingLabel*>(QStringLiteral("portLabel"))->text();
        QVERIFY(!lamp->isOpen());
        QCOMPARE(lamp->toolTip(), QStringLiteral("Port closed"));

        Click(&panel, "openPortButton");
        QVERIFY(panel.session().isOpen());
        QVERIFY(lamp->isOpen());
        QCOMPARE(lamp->toolTip(), QStringLiteral("Port open"));
        QCOMPARE(panel.statusText(), QStringLiteral("COM Port open successful."));

        Click(&panel, "closePortButton");
        QVERIFY(!lamp->isOpen());
        QCOMPARE(panel.statusText(), QStringLiteral("Serial Port Closed."));

        // A failed open leaves it dark, also after an earlier connection.
        Click(&panel, "openPortButton");
        QVERIFY(lamp->isOpen());
        panel.session().m_portName = QStringLiteral("/nonexistent/ttyNONE");
        Click(&panel, "openPortButton");
        QVERIFY(!panel.session().isOpen());
        QVERIFY(!lamp->isOpen());
        QCOMPARE(panel.statusText(), QStringLiteral("Error Creating Com Port Interface."));
        QCOMPARE(panel.findChild<ElidingLabel*>(QStringLiteral("portLabel"))->text(), label);
    }

    // A lost port being watched for: an amber ring while closed; an open
    // port shows as open whatever else is going on.
    void lampShowsALostPortBeingWatchedFor()
    {
        PortStateLamp lamp;
        lamp.resize(lamp.sizeHint());
        auto amberShown = [&lamp] {
            const QImage shot = lamp.grab().toImage();
            for (int y = 0; y < shot.height(); ++y) {
                for (int x = 0; x < shot.width(); ++x) {
                    const QColor c = shot.pixelColor(x, y);
                    if (c.red() > 150 && c.green() > 90 && c.green() < 170 && c.blue() < 80)
                        return true;
                }
            }
            return false;
        };
        QVERIFY(!amberShown());
        lamp.setWaiting(true);
        QCOMPARE(lamp.toolTip(), QStringLiteral("Port lost, waiting for it to come back"));
        QCOMPARE(lamp.accessibleName(), lamp.toolTip());
        QVERIFY(amberShown());
        lamp.setOpen(true);
        QCOMPARE(lamp.toolTip(), QStringLiteral("Port open"));
        QVERIFY(!amberShown());
        lamp.setOpen(false);
        QCOMPARE(lamp.toolTip(), QStringLiteral("Port lost, waiting for it to come back"));
        lamp.setWaiting(false);
        QCOMPARE(lamp.toolTip(), QStringLiteral("Port closed"));
        QVERIFY(!amberShown());
    }
};

QTEST_MAIN(TestPortState)
#include "tst_port_state.moc"

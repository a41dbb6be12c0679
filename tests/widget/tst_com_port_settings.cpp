// SPDX-License-Identifier: GPL-3.0-or-later
// "Com Port Settings": which items it starts on, and what OK and Cancel do to
// the panel's port choice.

#include "app/CTavrelDlg.h"
#include "link/PortNames.h"
#include "link/dialogs/CComPortSettingsDialog.h"
#include "support/ModalDriver.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

const QString kTitle = QStringLiteral("Com Port Settings");

const QStringList kWindowsPorts{"COM1",        "COM2",        "COM3",        "COM4",        "COM5",
                                "COM6",        "COM7",        "COM8",        "COM9",        "\\\\.\\COM10",
                                "\\\\.\\COM11", "\\\\.\\COM12", "\\\\.\\COM13", "\\\\.\\COM14"};

QComboBox* List(QWidget* dialog, const char* name)
{
    return dialog->findChild<QComboBox*>(QString::fromLatin1(name));
}

int IndexOfData(QComboBox* list, const QString& data)
{
    return list->findData(data);
}

struct Panel {
    CTavrelDlg panel{[] {
        PanelOptions options;
        options.portName = QStringLiteral("/dev/ttyNOPE");
        options.showEmulatorWindow = false;
        return options;
    }()};

    QString label() const { return panel.findChild<QLabel*>(QStringLiteral("portLabel"))->text(); }
    void openSettings()
    {
        QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("comPortSettingsButton")), Qt::LeftButton);
    }
};

} // namespace

class TestComPortSettings : public QObject {
    Q_OBJECT
private slots:
    void prefixSearchStartsAtTheSecondItemAndWraps_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("startAfter");
        QTest::addColumn<int>("found");
        QTest::newRow("first item only after wrapping") << kWindowsPorts << "COM1" << 0 << 0;
        QTest::newRow("ignores case") << kWindowsPorts << "com5" << 0 << 4;
        QTest::newRow("shared prefix takes the second item") << kWindowsPorts << "COM" << 0 << 1;
        QTest::newRow("empty prefix takes the second item") << kWindowsPorts << "" << 0 << 1;
        QTest::newRow("device namespace") << kWindowsPorts << "\\\\.\\COM12" << 0 << 11;
        QTest::newRow("no match") << kWindowsPorts << "COM15" << 0 << -1;
        QTest::newRow("whole list from the top") << kWindowsPorts << "COM" << -1 << 0;
        QTest::newRow("from the last item round to the top") << kWindowsPorts << "COM" << 13 << 0;
        QTest::newRow("search ends on the start item") << QStringList{"a", "b", "c"} << "b" << 1 << 1;
        QTest::newRow("single item") << QStringList{"Emulator"} << "emu" << 0 << 0;
        QTest::newRow("empty list") << QStringList{} << "COM1" << 0 << -1;
    }

    void prefixSearchStartsAtTheSecondItemAndWraps()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, prefix);
        QFETCH(int, startAfter);
        QFETCH(int, found);
        QCOMPARE(FindItemByPrefix(items, prefix, startAfter), found);
    }

    void windowsPortsAreInTheOrderOfTheirNumbers()
    {
        QVector<PortEntry> ports{{"COM10", "USB Serial Device"}, {"CNCA0", "com0com"}, {"com2", ""},
                                 {"\\\\.\\COM12", ""},       {"COM1", "Communications Port"}, {"COM12", ""},
                                 {"COM256", ""}};
        SortComPorts(ports);
        QStringList names;
        for (const PortEntry& port : ports)
            names << port.name;
        QCOMPARE(names, (QStringList{"COM1", "com2", "COM10", "\\\\.\\COM12", "COM256", "CNCA0"}));
        QCOMPARE(ports.at(0).displayText(), QStringLiteral("COM1  (Communications Port)"));

#ifdef Q_OS_WIN
        // Names are the system's: any case, with or without the device namespace.
        QVERIFY(SamePortName("\\\\.\\COM10", "com10"));
        QVERIFY(!SamePortName("COM1", "COM10"));
#else
        QVERIFY(SamePortName("/dev/ttyUSB0", "/dev/ttyUSB0"));
        QVERIFY(!SamePortName("/dev/ttyUSB0", "/dev/ttyusb0"));
#endif
        QVERIFY(AvailablePorts().constLast().name == EmulatorPortName());
    }

    void baudListSelectsByPrefixFromTheSecondItem_data()
    {
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("selected");
        QTest::newRow("exact") << "115200" << "115200";
        QTest::newRow("1 passes over 115200") << "1" << "19200";
        QTest::newRow("11 wraps to the top") << "11" << "115200";
        QTest::newRow("3 finds 38400 before 300") << "3" << "38400";
        QTest::newRow("600") << "600" << "600";
    }

    void baudListSelectsByPrefixFromTheSecondItem()
    {
        QFETCH(QString, baud);
        QFETCH(QString, selected);
        CComPortSettingsDialog dialog;
        dialog.m_baudRate = baud;
        dialog.m_portName = EmulatorPortName();
        dialog.show();
        QCOMPARE(List(&dialog, "baudCombo")->currentText(), selected);
        QCOMPARE(List(&dialog, "baudCombo")->count(), 10);
        QVERIFY(!List(&dialog, "baudCombo")->isEditable());
    }

    void portListKeepsAPortTheSystemDoesNotReport()
    {
        CComPortSettingsDialog dialog;
        dialog.m_baudRate = QStringLiteral("115200");
        dialog.m_portName = QStringLiteral("/dev/ttyNOPE");
        dialog.show();
        QComboBox* ports = List(&dialog, "portCombo");
        QVERIFY(!ports->isEditable());
        QCOMPARE(ports->currentData().toString(), QStringLiteral("/dev/ttyNOPE"));
        QVERIFY(IndexOfData(ports, EmulatorPortName()) >= 0);
        QVERIFY(dialog.okButton()->isDefault());
    }

    void okChangesTheSettingsButOpensNothing()
    {
        Panel rig;
        QCOMPARE(rig.label(), QStringLiteral("/dev/ttyNOPE, 115200"));
        ModalDriver driver;
        driver.expect(kTitle, [&](QWidget* dialog) {
            driver.note(List(dialog, "portCombo")->currentData().toString());
            driver.note(List(dialog, "baudCombo")->currentText());
            QComboBox* ports = List(dialog, "portCombo");
            ports->setCurrentIndex(IndexOfData(ports, EmulatorPortName()));
            List(dialog, "baudCombo")->setCurrentIndex(List(dialog, "baudCombo")->findText("9600"));
            ModalDriver::clickOk(dialog);
        });
        rig.openSettings();
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings(), (QStringList{"/dev/ttyNOPE", "115200"}));
        QCOMPARE(rig.label(), EmulatorPortName() + QStringLiteral(", 9600"));
        QCOMPARE(rig.panel.session().m_portName, EmulatorPortName());
        QCOMPARE(rig.panel.session().m_baudRate, QStringLiteral("9600"));
        QVERIFY(!rig.panel.session().isOpen());
        QCOMPARE(rig.panel.statusText(), QString());
    }

    void cancelKeepsEverything()
    {
        Panel rig;
        ModalDriver driver;
        driver.expect(kTitle, [](QWidget* dialog) {
            QComboBox* ports = List(dialog, "portCombo");
            ports->setCurrentIndex(IndexOfData(ports, EmulatorPortName()));
            List(dialog, "baudCombo")->setCurrentIndex(9);
            ModalDriver::pressEscape(dialog);
        });
        rig.openSettings();
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(rig.label(), QStringLiteral("/dev/ttyNOPE, 115200"));
        QCOMPARE(rig.panel.session().m_portName, QStringLiteral("/dev/ttyNOPE"));
        QCOMPARE(rig.panel.session().m_baudRate, QStringLiteral("115200"));
    }
};

QTEST_MAIN(TestComPortSettings)
#include "tst_com_port_settings.moc"

#pragma once

#include "app/CTavrelDlg.h"
#include "link/PortNames.h"
#include "support/ModalDriver.h"

#include <QPushButton>
#include <QString>
#include <QtTest>

namespace tavrel::testing {

// The status line's acknowledgement after a command.
inline const QString kAck = QStringLiteral("\r\n> Command Acknowledged");

// A panel with its port open, on the built-in emulator unless told otherwise.
struct OpenPanel {
    CTavrelDlg panel;

    explicit OpenPanel(const QString& port = EmulatorPortName())
        : panel([&] {
            PanelOptions options;
            options.portName = port;
            options.showEmulatorWindow = false;
            return options;
        }())
    {
        panel.show();
        click(QStringLiteral("openPortButton"));
    }

    void click(const QString& name) { QTest::mouseClick(panel.findChild<QPushButton*>(name), Qt::LeftButton); }
};

} // namespace tavrel::testing

// Checks that a ModalDriver ran every answer without a problem.
#define DRIVEN(driver) QVERIFY2((driver).done(), qPrintable((driver).problems().join("; ")))

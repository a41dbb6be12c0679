// SPDX-License-Identifier: GPL-3.0-or-later
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

// A panel's options for the given port, without the emulator's window.
inline PanelOptions OnPort(const QString& port)
{
    PanelOptions options;
    options.portName = port;
    options.showEmulatorWindow = false;
    return options;
}

// Clicks the push button of that object name, failing the test if there is none.
inline void Click(QWidget& parent, const char* name)
{
    QPushButton* button = parent.findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

// A panel with its port open, on the built-in emulator unless told otherwise.
struct OpenPanel {
    CTavrelDlg panel;

    explicit OpenPanel(const QString& port = EmulatorPortName())
        : panel(OnPort(port))
    {
        panel.show();
        click(QStringLiteral("openPortButton"));
    }

    void click(const QString& name) { QTest::mouseClick(panel.findChild<QPushButton*>(name), Qt::LeftButton); }
};

} // namespace tavrel::testing

// Checks that a ModalDriver ran every answer without a problem.
#define DRIVEN(driver) QVERIFY2((driver).done(), qPrintable((driver).problems().join("; ")))

// SPDX-License-Identifier: GPL-3.0-or-later
// The text, font and user-character buttons of the panel through their real
// dialogs (defaults, labels, the multi-line text box, the character editor)
// to the built-in emulator.

#include "app/CTavrelDlg.h"
#include "commands/dialogs/TextDialogs.h"
#include "link/PortNames.h"
#include "support/ModalDriver.h"
#include "support/OpenPanel.h"
#include "support/UiSeamRecorder.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

void SetChecked(QWidget* dialog, const char* name, bool checked)
{
    auto* box = dialog->findChild<QCheckBox*>(QString::fromLatin1(name));
    if (box && box->isChecked() != checked)
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(4, box->height() / 2));
}

QString Checked(QWidget* dialog, const char* name)
{
    auto* box = dialog->findChild<QCheckBox*>(QString::fromLatin1(name));
    return box ? QString::number(box->isChecked()) : QStringLiteral("<none>");
}

// Replaces the text box's contents by typing.
void TypeText(QWidget* dialog, const QString& text)
{
    auto* edit = dialog->findChild<QPlainTextEdit*>(QStringLiteral("textEdit"));
    if (!edit)
        return;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

QStringList LabelTexts(QWidget* dialog)
{
    QStringList texts;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

} // namespace

class TestTextDialogs : public QObject {
    Q_OBJECT
private slots:
    void displayCharacterNumberStartsAtZero()
    {
        CDisplayCharacter dialog;
        dialog.m_x = "1";
        dialog.m_charNumber = "17";
        ModalDriver driver;
        driver.expect("Display User Character", [&](QWidget* d) {
            driver.read(d, "xEdit");
            driver.read(d, "charNumberEdit");
            driver.note(LabelTexts(d).join('|'));
            ModalDriver::pressEscape(d);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings().mid(0, 2), (QStringList{"1", "0"}));
        QVERIFY(driver.readings().at(2).contains("Character# (0..31)"));
    }

    void fontAndModeButtonsSendAtOnce()
    {
        OpenPanel rig;
        rig.click("opaqueButton");
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Set Font Mode: 79,1 : 2 bytes written") + kAck);
        rig.click("font1Button");
        QCOMPARE(rig.panel.session().m_fontIndex, 1);
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Set Font: 70,1 : 2 bytes written") + kAck);
        // A click on the chosen button sends again.
        rig.panel.setStatusText("cleared");
        rig.click("font1Button");
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Set Font: 70,1 : 2 bytes written") + kAck);
    }

    void printCharacterFromThePanel()
    {
        OpenPanel rig;
        ModalDriver driver;
        driver.expect("Text Character", [&](QWidget* d) {
            driver.read(d, "characterEdit");
            SetChecked(d, "formattedCheck", true);
            ModalDriver::setText(d, "xEdit", "2");
            ModalDriver::setText(d, "yEdit", "3");
            ModalDriver::clickOk(d);
        });
        rig.click("printCharacterButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings(), QStringList{"R"});
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Text Character: 84,82,2,3,255,255 : 6 bytes written") + kAck);
    }

    void printTextStringThroughItsDialog()
    {
        OpenPanel rig;
        rig.click("font1Button");
        ModalDriver driver;
        driver.expect("Print Text", [&](QWidget* d) {
            for (const char* name : {"widthEdit", "heightEdit", "textEdit", "formattedCheck"})
                driver.read(d, name);
            driver.note(Checked(d, "formattedCheck"));
            driver.note(LabelTexts(d).join('|'));
            ModalDriver::setText(d, "widthEdit", "2");
            ModalDriver::setText(d, "heightEdit", "3");
            // Ctrl+Enter types a line break; a plain Enter presses OK.
            TypeText(d, "A");
            auto* edit = d->findChild<QPlainTextEdit*>("textEdit");
            QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
            QTest::keyClicks(edit, "B");
            QTest::keyClick(edit, Qt::Key_Return);
        });
        rig.click("printTextStringButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings().mid(0, 5), (QStringList{"1", "1", "Enter Text Here.", "Formatted", "0"}));
        QVERIFY(driver.readings().at(5).contains("NxHeight:|"));
        QVERIFY(driver.readings().at(5).contains("Note that width and height multipliers are only appled to "
                                                 "non-formatted text."));
        QCOMPARE(rig.panel.statusText(),
                 QStringLiteral("Print String: 83, 0, 0, 1, 255, 255, 2, 3, 65, 13, 10, 66, 0, : 13 bytes written") + kAck);
    }

    void overlongTextIsRefusedWithAMessage()
    {
        OpenPanel rig;
        UiSeamRecorder seam;
        ModalDriver driver;
        driver.expect("Text Button", [&](QWidget* d) {
            auto* edit = d->findChild<QPlainTextEdit*>("textEdit");
            edit->setPlainText(QString(289, QLatin1Char('w')));
            ModalDriver::clickOk(d);
        });
        rig.click("textButtonButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(seam.messages.size(), 1);
        QVERIFY2(seam.messages.first().contains("288"), qPrintable(seam.messages.first()));
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Text too long: nothing sent."));
    }

    void addUserCharRunsTheEditor()
    {
        OpenPanel rig;
        ModalDriver driver;
        driver.expect("Character Editor", [](QWidget* d) {
            QTest::mouseClick(d->findChild<QPushButton*>("setAllButton"), Qt::LeftButton);
            ModalDriver::setText(d, "charNumberEdit", "31");
            ModalDriver::clickOk(d);
        });
        driver.expect("Character Editor", [](QWidget* d) {
            // A fresh editor: nothing of the last character is kept.
            QTest::mouseClick(d->findChild<QPushButton*>("okButton"), Qt::LeftButton);
        });
        rig.click("addUserCharButton");
        QCOMPARE(rig.panel.statusText(),
                 QStringLiteral("Add User Character: 65,31,255,255,255,255,255,255,255,255 : 10 bytes written") + kAck);
        rig.click("addUserCharButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Add User Character: 65,0,0,0,0,0,0,0,0,0 : 10 bytes written") + kAck);
    }
};

QTEST_MAIN(TestTextDialogs)
#include "tst_text_dialogs.moc"

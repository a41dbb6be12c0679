// SPDX-License-Identifier: GPL-3.0-or-later
// The card dialogs as the user sees them, and the card buttons of the panel
// run through those dialogs against the built-in emulator and a card folder.

#include "app/CTavrelDlg.h"
#include "emulator/Emulator.h"
#include "link/PortNames.h"
#include "sdcard/dialogs/CFileDirectoryDialog.h"
#include "sdcard/dialogs/CGetFilename1.h"
#include "sdcard/dialogs/CGetFilenameDialog.h"
#include "sdcard/dialogs/CReadSdDialog.h"
#include "support/ModalDriver.h"
#include "support/UiSeamRecorder.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

const QString kGetFilename = QStringLiteral("Get Filename");
const QString kGetFilenameAndOrigin = QStringLiteral("Get Filename and Origin");
const QString kFileInfo = QStringLiteral("SD Card File Info:");

// A panel on the built-in emulator, port open, with its card in a
// temporary folder.
struct CardPanel {
    QTemporaryDir folder;
    CTavrelDlg panel{[] {
        PanelOptions options;
        options.portName = EmulatorPortName();
        options.showEmulatorWindow = false;
        return options;
    }()};

    CardPanel()
    {
        panel.emulator().setCardDirectory(folder.path());
        panel.show();
        click("openPortButton");
    }
    void click(const char* name)
    {
        QTest::mouseClick(panel.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    QByteArray file(const char* name) const
    {
        QFile f(QDir(folder.path()).filePath(QString::fromLatin1(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

ModalDriver::Answer Type(const QString& objectName, const QString& text)
{
    return [objectName, text](QWidget* d) {
        ModalDriver::setText(d, objectName, text);
        ModalDriver::clickOk(d);
    };
}

} // namespace

class TestSdDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void fileNameDialogShowsThePromptAndTakesTwelveCharacters()
    {
        CGetFilename1 dialog;
        dialog.m_prompt = QStringLiteral("Enter binary program filename:");
        ModalDriver driver;
        driver.expect(kGetFilename, [&](QWidget* d) {
            driver.read(d, "headingLabel");
            driver.read(d, "filenameLabel");
            driver.note(d->focusWidget() ? d->focusWidget()->objectName() : QString());
            ModalDriver::setText(d, "filenameEdit", "ABCDEFGH.TXTX");
            ModalDriver::clickOk(d);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings(), (QStringList{"Enter binary program filename:",
                                                 "Enter Filename (in DOS, 8.3 format):", "filenameEdit"}));
        QCOMPARE(dialog.m_filename, QStringLiteral("ABCDEFGH.TXT"));
        QCOMPARE(dialog.findChild<QLineEdit*>("filenameEdit")->property("controlId").toInt(), 1018);
        QCOMPARE(dialog.findChild<QLabel*>("headingLabel")->property("controlId").toInt(), 1043);
    }

    void originDialogOpensWithItsDefaults()
    {
        CGetFilenameDialog dialog;
        dialog.m_heading = QStringLiteral("Enter image data filename:");
        ModalDriver driver;
        driver.expect(kGetFilenameAndOrigin, [&](QWidget* d) {
            for (const char* name : {"headingLabel", "filenameEdit", "displayAtLabel", "xEdit", "yEdit"})
                driver.read(d, name);
            ModalDriver::setText(d, "filenameEdit", "LOGO.BMP");
            ModalDriver::setText(d, "xEdit", "300");
            ModalDriver::clickOk(d);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings(), (QStringList{"Enter image data filename:", "", "Display at:", "0", "0"}));
        QCOMPARE(dialog.m_filename, QStringLiteral("LOGO.BMP"));
        QCOMPARE(dialog.m_x, QStringLiteral("300"));
        QCOMPARE(dialog.m_y, QStringLiteral("0"));
        QCOMPARE(dialog.findChild<QLineEdit*>("filenameEdit")->maxLength(), 12);
    }

    void readCountMustBeginWithANumber()
    {
        UiSeamRecorder seam;
        CReadSdDialog dialog;
        ModalDriver driver;
        driver.expect(QStringLiteral("Read bytes from SD Card"), [&](QWidget* d) {
            driver.read(d, "countEdit");
            ModalDriver::setText(d, "countEdit", "abc");
            ModalDriver::clickOk(d);
            driver.note(d->isVisible() ? "still open" : "closed");
            driver.note(d->focusWidget() ? d->focusWidget()->objectName() : QString());
            ModalDriver::setText(d, "countEdit", " 12 bytes");
            ModalDriver::clickOk(d);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(driver.readings(), (QStringList{"0", "still open", "countEdit"}));
        QCOMPARE(seam.messages, QStringList{"Tavrel|Please enter an integer."});
        QCOMPARE(dialog.m_count, 12);
    }

    // The received text is in a box of several lines that still behaves as
    // a dialog's edit: Enter presses OK, Ctrl+Enter starts a line.
    void fileInfoTakesEnterAsOk_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    }

    void fileInfoTakesEnterAsOk()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        CFileDirectoryDialog dialog;
        dialog.m_text = QStringLiteral("A.TXT\r\nB.TXT");
        auto* box = dialog.findChild<QPlainTextEdit*>(QStringLiteral("textEdit"));
        QVERIFY(box);
        ModalDriver driver;
        driver.expect(kFileInfo, [&](QWidget* d) {
            QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(box, Qt::Key(key), Qt::ControlModifier | Qt::KeyboardModifiers(modifiers));
            QTest::keyClicks(box, QStringLiteral("C.TXT"));
            driver.read(d, QStringLiteral("textEdit"));
            QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        });
        const int result = dialog.exec();
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(driver.readings(), QStringList{"A.TXT\nB.TXT\nC.TXT"});
        QCOMPARE(box->toPlainText(), QStringLiteral("A.TXT\nB.TXT\nC.TXT"));
    }

    void writeListReadAndEraseThroughThePanel()
    {
        CardPanel rig;
        ModalDriver driver;
        driver.expect(kGetFilename, [&](QWidget* d) {
            driver.read(d, "headingLabel");
            ModalDriver::setText(d, "filenameEdit", "note.txt");
            ModalDriver::clickOk(d);
        });
        rig.click("openFileToWriteButton");
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Open file for writing: 64, 87, 110, 111, 116, 101, 46, 116, "
                                                        "120, 116, 0, : 11 bytes written\r\n> Command Acknowledged"));

        driver.expect(QStringLiteral("Write to SD Data Entry"), Type("textEdit", "Hello"));
        rig.click("writeToFileButton");
        rig.click("closeFileButton");
        QCOMPARE(rig.panel.statusText(),
                 QStringLiteral("Close open file on SD card: 64, 67, : 2 bytes written\r\n> Command Acknowledged"));
        QCOMPARE(rig.file("NOTE.TXT"), QByteArray("Hello"));

        driver.expect(kFileInfo, [&](QWidget* d) {
            driver.read(d, "textEdit");
            ModalDriver::pressEscape(d);
        });
        rig.click("viewDirectoryButton");
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Get SD File Directory: 64,68 : 3 bytes written"));

        driver.expect(kGetFilename, Type("filenameEdit", "NOTE.TXT"));
        rig.click("openFileToReadButton");
        driver.expect(QStringLiteral("Read bytes from SD Card"), Type("countEdit", "5"));
        driver.expect(kFileInfo, [&](QWidget* d) {
            driver.read(d, "textEdit");
            ModalDriver::clickOk(d);
        });
        rig.click("readFromFileButton");
        // The data and the acknowledgement after it both reach the panel.
        QCOMPARE(rig.panel.statusText(),
                 QStringLiteral("Read data to SD card: 64, 114, 5, : 3 bytes written\r\n> Command Acknowledged"));

        driver.expect(kGetFilename, [&](QWidget* d) {
            driver.read(d, "headingLabel");
            ModalDriver::setText(d, "filenameEdit", "NOTE.TXT");
            ModalDriver::clickOk(d);
        });
        rig.click("eraseFileButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(rig.file("NOTE.TXT"), QByteArray("<missing>"));
        QCOMPARE(driver.readings(),
                 (QStringList{"Enter filename to open for writing on SD card:", "NOTE.TXT      5\n", "Hello",
                              "Enter filename to ERASE on SD card:"}));
    }

    void norvelAndYModemShowTheirMessages()
    {
        CardPanel rig;
        UiSeamRecorder seam;
        rig.click("loadNorvelButton");
        QCOMPARE(rig.panel.statusText(),
                 QStringLiteral("Run Norvel from SD card: 64, 70, : 2 bytes written\r\n> Command Acknowledged"));
        ModalDriver driver;
        driver.expect(QStringLiteral("Start YModem Session"), [](QWidget* d) { ModalDriver::pressEscape(d); });
        driver.expect(QStringLiteral("Start YModem Session"), [](QWidget* d) { ModalDriver::clickOk(d); });
        rig.click("yModemSessionButton");
        QCOMPARE(seam.messages, QStringList{"Tavrel|Norvel should now be running."});
        rig.click("yModemSessionButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(seam.messages.value(1), QStringLiteral("Tavrel|Press OK to begin terminal session.  Then, close "
                                                        "serial port here and open it with terminal application."));
        QCOMPARE(rig.panel.statusText(),
                 QStringLiteral("YModem File Transfer Session: 64, 89, : 2 bytes written\r\n> Command Acknowledged"));
    }

    void aNameTheModuleWouldCutIsRefusedInAMessageBox()
    {
        // U+0100 would go out as a 0 byte: the module would open "A" and run
        // "B.TXT" as commands.
        CardPanel rig;
        UiSeamRecorder seam;
        ModalDriver driver;
        driver.expect(kGetFilename, [](QWidget* d) {
            // Typed as an input method or a paste would enter it.
            auto* edit = d->findChild<QLineEdit*>(QStringLiteral("filenameEdit"));
            QTest::keyClicks(edit, QStringLiteral("A"));
            edit->insert(QStringLiteral("\u0100"));
            QTest::keyClicks(edit, QStringLiteral("B.TXT"));
            ModalDriver::clickOk(d);
        });
        rig.click("openFileToWriteButton");
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QCOMPARE(seam.messages, QStringList{QStringLiteral("Tavrel|The character U+0100 \"\u0100\" at position 2 cannot be "
                                                           "sent: it would reach the module as a 0 byte and end the text "
                                                           "early. Nothing was sent.")});
        QCOMPARE(rig.panel.statusText(), QStringLiteral("Unsendable character: nothing sent."));
        QCOMPARE(QDir(rig.folder.path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_MAIN(TestSdDialogs)
#include "tst_sd_dialogs.moc"

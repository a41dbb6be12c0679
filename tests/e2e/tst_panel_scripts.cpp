// SPDX-License-Identifier: GPL-3.0-or-later
// The panel records what a user does through its buttons and dialogs on
// quennel-emu; tavrel-cli run and the panel's own Run Script replay the
// recording on fresh emulators, leaving the same picture and sending the
// same bytes.

#include "app/CTavrelDlg.h"
#include "support/CliRunner.h"
#include "support/LoggingEmulator.h"
#include "support/ModalDriver.h"
#include "support/OpenPanel.h"
#include "support/PictureFiles.h"
#include "support/UiSeamRecorder.h"
#include "widgets/COledCharEdit.h"
#include "widgets/CXColourPicker.h"
#include "widgets/CXColourPopup.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

void Click(QWidget* parent, const char* name)
{
    auto* button = parent->findChild<QAbstractButton*>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    // Near the left edge: a radio button takes clicks on its mark and text only.
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
}

// Picks the palette cell of a colour button, as a user's click would.
void PickColour(CXColourPicker* picker, int row, int column)
{
    QTest::mouseClick(picker, Qt::LeftButton);
    CXColourPopup* popup = picker->popup();
    QVERIFY(popup);
    const QPoint cell = popup->cellRect(row, column).center();
    QMouseEvent move(QEvent::MouseMove, cell, popup->mapToGlobal(cell), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(popup, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, cell, popup->mapToGlobal(cell), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(popup, &release);
}

ModalDriver::Answer Fill(const QVector<QPair<QString, QString>>& texts)
{
    return [texts](QWidget* dialog) {
        for (const auto& [name, text] : texts)
            ModalDriver::setText(dialog, name, text);
        ModalDriver::clickOk(dialog);
    };
}

// File names the panel asks for, answered without a dialog.
struct FileAnswers {
    QString save;
    QString open;
    UiSeam::FileNameHandler previousSave;
    UiSeam::FileNameHandler previousOpen;
    FileAnswers()
    {
        previousSave = UiSeam::setSaveFileNameHandler(
            [this](QWidget*, const QString&, const QString&, const QString&) { return save; });
        previousOpen = UiSeam::setOpenFileNameHandler(
            [this](QWidget*, const QString&, const QString&, const QString&) { return open; });
    }
    ~FileAnswers()
    {
        UiSeam::setSaveFileNameHandler(previousSave);
        UiSeam::setOpenFileNameHandler(previousOpen);
    }
};

} // namespace

class TestPanelScripts : public QObject {
    Q_OBJECT
private slots:
    void recordedSessionReplays()
    {
        QTemporaryDir dir;
        QImage photo(30, 20, QImage::Format_RGB888);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixelColor(x, y, QColor(x * 8, 255 - y * 10, 90));
        const QString picture = SavePicture(dir, QStringLiteral("a photo.png"), photo, "png");
        const QString scriptPath = dir.filePath(QStringLiteral("session.tavrel"));
        UiSeamRecorder seam;
        FileAnswers files;
        files.save = scriptPath;
        files.open = picture;

        LoggingEmulator live;
        QVERIFY2(live.isReady(), qPrintable(live.emulator->errorString()));
        {
            CTavrelDlg panel(OnPort(live.ptyPath()));
            panel.show();
            Click(&panel, "openPortButton");
            // The colour in use before recording starts is part of the recording.
            PickColour(panel.findChild<CXColourPicker*>("foregroundColour"), 4, 5);
            panel.recordScript();
            QVERIFY(panel.isRecording());

            ModalDriver driver;
            driver.expect("Enter Coordinates", Fill({{"x1Edit", "0"}, {"y1Edit", "63"}, {"x2Edit", "95"}, {"y2Edit", "0"}}));
            Click(&panel, "drawLineButton");
            PickColour(panel.findChild<CXColourPicker*>("foregroundColour"), 0, 3);
            driver.expect("Draw Circle", [](QWidget* d) { ModalDriver::pressEscape(d); });  // cancelled
            Click(&panel, "drawCircleButton");
            driver.expect("Enter Pixel Coordinates", Fill({{"xEdit", "96"}, {"yEdit", "0"}}));  // refused
            Click(&panel, "setPixelButton");
            // Recording goes on across Close Port and Open Port.
            Click(&panel, "closePortButton");
            Click(&panel, "openPortButton");
            Click(&panel, "font2Button");
            Click(&panel, "opaqueButton");
            driver.expect("Print Text", [](QWidget* d) {
                ModalDriver::setText(d, "xEdit", "2");
                ModalDriver::setText(d, "yEdit", "30");
                d->findChild<QPlainTextEdit*>("textEdit")->setPlainText("it's \"#1\"\n-1 $x \\ ok");
                ModalDriver::clickOk(d);
            });
            Click(&panel, "printTextStringButton");
            driver.expect("Character Editor", [](QWidget* d) {
                for (const QPoint cell : {QPoint(0, 0), QPoint(7, 7), QPoint(3, 4), QPoint(4, 3)}) {
                    const QPoint at = COledCharEdit::CellRect(cell.x(), cell.y()).center();
                    QTest::mouseClick(d, Qt::LeftButton, Qt::NoModifier, at);
                }
                ModalDriver::setText(d, "charNumberEdit", "7");
                Click(d, "okButton");
            });
            Click(&panel, "addUserCharButton");
            driver.expect("Display User Character", Fill({{"xEdit", "80"}, {"yEdit", "50"}, {"charNumberEdit", "7"}}));
            Click(&panel, "displayUserCharButton");
            driver.expect("Display Image", [](QWidget* d) {
                Click(d, "openPictureButton");
                ModalDriver::setText(d, "widthEdit", "20");
                ModalDriver::setText(d, "heightEdit", "10");
                Click(d, "resizeToRadio");
                Click(d, "depth8Radio");
                ModalDriver::setText(d, "xEdit", "60");
                ModalDriver::setText(d, "yEdit", "40");
                ModalDriver::clickOk(d);
            });
            Click(&panel, "displayImageButton");
            driver.expect("Get Filename", Fill({{"filenameEdit", "REC.TXT"}}));
            Click(&panel, "openFileToWriteButton");
            driver.expect("Write to SD Data Entry", Fill({{"textEdit", "a 'quoted' # line"}}));
            Click(&panel, "writeToFileButton");
            Click(&panel, "closeFileButton");
            PickColour(panel.findChild<CXColourPicker*>("backgroundColour"), 2, 2);
            Click(&panel, "setBackgroundColorButton");
            driver.expect("Scroll Control", [](QWidget* d) { ModalDriver::clickOk(d); });
            Click(&panel, "scrollControlButton");
            QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
            panel.stopRecording();
            QVERIFY(!panel.isRecording());
            Click(&panel, "closePortButton");
        }
        QCOMPARE(seam.messages, QStringList{"Set Pixel Error|Pixel out of bounds!"});
        const QString recorded = QString::fromUtf8(ReadAll(scriptPath));
        QVERIFY2(!recorded.contains("draw-circle") && !recorded.contains("set-pixel"), qPrintable(recorded));
        QVERIFY2(recorded.contains("\ndisplay-image '" + picture + "' 60 40 --resize=20x10 --depth=8\n"),
                 qPrintable(recorded));
        const QImage liveFrame = live.frameImage();
        QVERIFY(!liveFrame.isNull());

        // tavrel-cli replays the recording on a fresh module.
        LoggingEmulator byCli;
        QVERIFY2(byCli.isReady(), qPrintable(byCli.emulator->errorString()));
        const CliRun run = RunCli(byCli.port() + QStringList{"run", scriptPath});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err + recorded));
        QVERIFY2(byCli.receivedBytes() == live.receivedBytes(), qPrintable(recorded));
        QVERIFY(byCli.frameImage() == liveFrame);
        QCOMPARE(ReadAll(QDir(byCli.card).filePath("REC.TXT")), QByteArray("a 'quoted' # line"));

        // So does the panel's own Run Script.
        LoggingEmulator byPanel;
        QVERIFY2(byPanel.isReady(), qPrintable(byPanel.emulator->errorString()));
        CTavrelDlg panel(OnPort(byPanel.ptyPath()));
        panel.show();
        Click(&panel, "openPortButton");
        files.open = scriptPath;
        panel.runScript();
        QVERIFY(panel.scriptPlayer());
        QTRY_VERIFY_WITH_TIMEOUT(!panel.scriptPlayer(), 30000);
        QCOMPARE(seam.messages.size(), 1);
        QVERIFY(byPanel.receivedBytes() == live.receivedBytes());
        QVERIFY(byPanel.frameImage() == liveFrame);
        // The buttons show the font and text mode the script chose.
        QVERIFY(panel.findChild<QPushButton*>("font2Button")->isChecked());
        QVERIFY(panel.findChild<QPushButton*>("opaqueButton")->isChecked());
    }
};

QTEST_MAIN(TestPanelScripts)
#include "tst_panel_scripts.moc"

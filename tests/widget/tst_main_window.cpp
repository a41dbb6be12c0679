// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a user meets it: its controls and their groups, the
// start-up state, the status window, and the ways of leaving it.

#include "app/CHelpWindow.h"
#include "app/CTavrelDlg.h"
#include "app/PanelSettings.h"
#include "emulator/window/EmulatorWindow.h"
#include "link/PortNames.h"
#include "link/dialogs/CTrafficWindow.h"
#include "support/ModalDriver.h"
#include "support/OpenPanel.h"
#include "support/UiSeamRecorder.h"
#include "widgets/CXColourPicker.h"
#include "widgets/UiSeam.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTreeView>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

PanelOptions Headless()
{
    PanelOptions options;
    options.showEmulatorWindow = false;
    return options;
}

QWidget* ControlById(QWidget* window, int id)
{
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->property("controlId").toInt() == id)
            return w;
    return nullptr;
}

// Titles of the group boxes around a widget, innermost first.
QStringList EnclosingGroups(QWidget* w)
{
    QStringList titles;
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (auto* box = qobject_cast<QGroupBox*>(p))
            titles << box->title();
    return titles;
}

QPushButton* Button(QWidget* window, const char* name)
{
    return window->findChild<QPushButton*>(QString::fromLatin1(name));
}

// The dark palette a desktop gives Qt's Fusion style.
QPalette DarkPalette()
{
    QPalette dark;
    const QColor window(53, 53, 53);
    const QColor base(35, 35, 35);
    for (const auto& [role, colour] : {std::pair{QPalette::Window, window}, {QPalette::Button, window},
                                       {QPalette::Base, base}, {QPalette::AlternateBase, window},
                                       {QPalette::WindowText, QColor(Qt::white)}, {QPalette::Text, QColor(Qt::white)},
                                       {QPalette::ButtonText, QColor(Qt::white)}, {QPalette::Light, QColor(80, 80, 80)},
                                       {QPalette::Midlight, QColor(66, 66, 66)}, {QPalette::Mid, QColor(44, 44, 44)},
                                       {QPalette::Dark, QColor(30, 30, 30)}, {QPalette::Shadow, QColor(10, 10, 10)},
                                       {QPalette::Highlight, QColor(42, 130, 218)}})
        dark.setColor(role, colour);
    return dark;
}

// The contrast of two colours as the accessibility guidelines reckon it:
// 1 for the same colour, 21 for black on white.
double Contrast(const QColor& a, const QColor& b)
{
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return std::max(la, lb) / std::min(la, lb);
}

// The strongest contrast any pixel of the widget's left part makes with
// the background colour.
double StrongestContrast(QWidget* widget, const QColor& background, double part = 1.0)
{
    const QImage shot = widget->grab().toImage();
    double strongest = 1;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < int(shot.width() * part); ++x)
            strongest = std::max(strongest, Contrast(shot.pixelColor(x, y), background));
    return strongest;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startsWithTheDefaults()
    {
        CTavrelDlg panel(Headless());
        QCOMPARE(panel.windowTitle(), QStringLiteral("Quennel Control"));
        QVERIFY(!panel.windowIcon().isNull());
        QVERIFY(!(panel.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(panel.windowFlags() & Qt::WindowMaximizeButtonHint));

        QCOMPARE(panel.findChild<QLabel*>("portLabel")->text(), DefaultPortName() + QStringLiteral(", 115200"));
        QCOMPARE(panel.statusText(), QString());
        QCOMPARE(panel.foregroundColour(), kWhite);
        QCOMPARE(panel.backgroundColour(), kBlack);
        auto* foreground = panel.findChild<CXColourPicker*>("foregroundColour");
        QCOMPARE(foreground->enabledColour(), kWhite);
        QCOMPARE(panel.findChild<CXColourPicker*>("backgroundColour")->enabledColour(), kBlack);
        QVERIFY(Button(&panel, "font0Button")->isChecked());
        QVERIFY(Button(&panel, "transparentButton")->isChecked());
        QCOMPARE(panel.session().m_fontIndex, 0);
        QVERIFY(!panel.session().isOpen());
        QVERIFY(Button(&panel, "quitButton")->isDefault());
        QCOMPARE(panel.emulatorWindow(), nullptr);
    }

    void portOptionChoosesTheStartPort()
    {
        PanelOptions options = Headless();
        options.portName = QStringLiteral("/dev/ttyUSB7");
        CTavrelDlg panel(options);
        QCOMPARE(panel.findChild<QLabel*>("portLabel")->text(), QStringLiteral("/dev/ttyUSB7, 115200"));
    }

    void everyControlSitsInItsGroup_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("groups");
        const QStringList none;
        const QStringList serial{"Serial Port"};
        const QStringList general{"General Functions"};
        const QStringList drawing{"Basic Drawing"};
        const QStringList text{"Text Functions"};
        const QStringList font{"Font", "Text Functions"};
        const QStringList mode{"Text Mode", "Text Functions"};
        const QStringList bitmap{"Bitmap Functions"};
        const QStringList display{"Display Specific Commands"};
        const QStringList sd{"SD Card Commands"};
        const struct {
            int id;
            const char* caption;
            QStringList groups;
        } rows[] = {
            {1, "Quit", none},
            {1003, "Com Port Settings", serial}, {1004, "Open Port", serial}, {1007, "Close Port", serial},
            {1011, "Background Color", general}, {1010, "Foreground Color", general},
            {1013, "Set Background Color", general}, {1012, "Clear Screen", general},
            {1034, "Get Device Info", general}, {1035, "Oled Control Functions", general},
            {1008, "Set Pixel", drawing}, {1009, "Draw Line", drawing}, {1033, "Draw Rectangle", drawing},
            {1017, "Draw Triangle", drawing}, {1020, "Draw Circle", drawing}, {1032, "Draw Polygon", drawing},
            {1019, "Set WireFrame Mode", drawing}, {1018, "Set Solid Mode", drawing}, {1014, "Read Pixel", drawing},
            {1022, "Print Character", text}, {1023, "Print Text String", text}, {1031, "Text Button", text},
            {1024, "0: 5x7", font}, {1025, "1: 8x8", font}, {1026, "2: 8x12", font}, {1027, "3: 16x32", font},
            {1028, "Transparent", mode}, {1029, "Opaque", mode},
            {1016, "Add User Char", bitmap}, {1015, "Display User Char", bitmap},
            {1030, "Display Image", bitmap}, {1021, "Copy Area", bitmap},
            {1036, "Rotate Display", display}, {1037, "Dim Area", display},
            {1038, "Scroll Control", display}, {1039, "Write Command", display},
            {1041, "Show Bitmap", sd}, {1042, "Show Image", sd}, {1053, "Slideshow", sd},
            {1046, "Print Screen", sd}, {1044, "Load Binary", sd}, {1045, "Load Norvel", sd},
            {1043, "YModem Session", sd}, {1040, "View Directory", sd}, {1047, "Open File to Write", sd},
            {1049, "Write to File", sd}, {1048, "Open File to Read", sd}, {1050, "Read from File", sd},
            {1051, "Close File", sd}, {1052, "Erase File", sd},
        };
        for (const auto& row : rows)
            QTest::newRow(row.caption) << row.id << QString::fromLatin1(row.caption) << row.groups;
    }

    void everyControlSitsInItsGroup()
    {
        QFETCH(int, id);
        QFETCH(QString, caption);
        QFETCH(QStringList, groups);
        CTavrelDlg panel(Headless());
        panel.show();
        auto* button = qobject_cast<QAbstractButton*>(ControlById(&panel, id));
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
        QCOMPARE(EnclosingGroups(button), groups);
        QVERIFY(button->isVisible());
        QVERIFY(button->isEnabled());
        // Inside the window and inside its group box, not clipped away: in
        // the scrolled controls or, for Quit, in the window itself.
        for (QWidget* p = button->parentWidget(); p && !qobject_cast<QScrollArea*>(p->parentWidget());
             p = p->parentWidget())
            QVERIFY2(p->rect().contains(QRect(button->mapTo(p, QPoint(0, 0)), button->size())), qPrintable(caption));
    }

    void serialGroupCarriesLabelAndNote()
    {
        CTavrelDlg panel(Headless());
        auto* portLabel = qobject_cast<QLabel*>(ControlById(&panel, 1005));
        QVERIFY(portLabel);
        QCOMPARE(EnclosingGroups(portLabel), QStringList{"Serial Port"});
        bool noteFound = false;
        for (QLabel* label : panel.findChildren<QLabel*>())
            noteFound = noteFound
                || (label->text() == QStringLiteral("Note:  Be sure to \"Open\" your port before sending commands.")
                    && EnclosingGroups(label) == QStringList{"Serial Port"});
        QVERIFY(noteFound);
        auto* status = qobject_cast<QPlainTextEdit*>(ControlById(&panel, 1006));
        QVERIFY(status);
        QVERIFY(!status->isReadOnly());
        QCOMPARE(status->lineWrapMode(), QPlainTextEdit::NoWrap);
    }

    void tabbingReadsTheGroupsInOrder()
    {
        CTavrelDlg panel(Headless());
        QList<int> order;
        QWidget* w = ControlById(&panel, 1003);
        for (int guard = 0; guard < 200 && order.size() < 52; ++guard, w = w->nextInFocusChain())
            if (w->property("controlId").isValid() && w->focusPolicy() != Qt::NoFocus)
                order << w->property("controlId").toInt();
        QCOMPARE(order.mid(0, 6), (QList<int>{1003, 1004, 1007, 1011, 1010, 1013}));
        QCOMPARE(order.mid(18, 10), (QList<int>{1022, 1023, 1031, 1024, 1025, 1026, 1027, 1028, 1029, 1016}));
        QCOMPARE(order.mid(48), (QList<int>{1052, 1006, 1, 1003}));
    }

    void fontButtonsChooseTheFontOneAtATime()
    {
        CTavrelDlg panel(Headless());
        QTest::mouseClick(Button(&panel, "font2Button"), Qt::LeftButton);
        QCOMPARE(panel.session().m_fontIndex, 2);
        QVERIFY(Button(&panel, "font2Button")->isChecked());
        QVERIFY(!Button(&panel, "font0Button")->isChecked());
        QTest::mouseClick(Button(&panel, "font3Button"), Qt::LeftButton);
        QCOMPARE(panel.session().m_fontIndex, 3);
        QVERIFY(!Button(&panel, "font2Button")->isChecked());

        QTest::mouseClick(Button(&panel, "opaqueButton"), Qt::LeftButton);
        QVERIFY(Button(&panel, "opaqueButton")->isChecked());
        QVERIFY(!Button(&panel, "transparentButton")->isChecked());
        QCOMPARE(panel.session().m_fontIndex, 3);
    }

    void statusWindowKeepsLineBreaksAndWhatTheUserTyped()
    {
        CTavrelDlg panel(Headless());
        panel.setStatusText(QStringLiteral("Set Pixel: 80,1,2,255,255 : 0 bytes written\r\n> No response!"));
        QCOMPARE(panel.statusText(), QStringLiteral("Set Pixel: 80,1,2,255,255 : 0 bytes written\r\n> No response!"));
        auto* status = panel.findChild<QPlainTextEdit*>("statusWindow");
        QCOMPARE(status->blockCount(), 2);

        panel.setStatusText(QStringLiteral("log"));
        status->moveCursor(QTextCursor::End);
        QTest::keyClicks(status, QStringLiteral("ged"));
        QTest::keyClick(status, Qt::Key_Return);
        QTest::keyClicks(status, QStringLiteral("note"));
        QCOMPARE(panel.statusText(), QStringLiteral("logged\r\nnote"));
        // A reply reader appends to whatever the window holds.
        panel.session().ReadAckReply();
        QCOMPARE(panel.statusText(), QStringLiteral("logged\r\nnote\r\n> No response!"));
    }

    // After any command or event the newest line is in view, unless the
    // user has scrolled up to read and lines were only added.
    void statusWindowShowsTheNewestLine()
    {
        CTavrelDlg panel(Headless());
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        auto* status = panel.findChild<QPlainTextEdit*>("statusWindow");
        QScrollBar* bar = status->verticalScrollBar();
        auto newestShown = [&] {
            const QTextCursor last(status->document()->lastBlock());
            return status->viewport()->rect().intersects(status->cursorRect(last));
        };
        QStringList lines;
        for (int i = 0; i < 12; ++i)
            lines << QStringLiteral("Listing line %1").arg(i);
        panel.setStatusText(lines.join(QStringLiteral("\r\n")));
        QVERIFY(bar->maximum() > 0);
        QVERIFY(newestShown());
        panel.setStatusText(panel.statusText() + QStringLiteral("\r\n> Port reopened: /dev/ttyUSB0"));
        QVERIFY(newestShown());

        bar->setValue(0);  // the user reads from the top; a reply adds a line
        panel.session().ReadAckReply();
        QCOMPARE(bar->value(), 0);
        QVERIFY(!newestShown());
        // A new command replaces the text: its lines are shown.
        panel.setStatusText(lines.join(QStringLiteral("\r\n")));
        QVERIFY(newestShown());
    }

    void quitClosesTheOpenPort()
    {
        CTavrelDlg panel(Headless());
        panel.session().m_portName = EmulatorPortName();
        panel.show();
        QTest::mouseClick(Button(&panel, "openPortButton"), Qt::LeftButton);
        QTest::mouseClick(Button(&panel, "quitButton"), Qt::LeftButton);
        QCOMPARE(panel.result(), int(QDialog::Accepted));
        QCOMPARE(panel.statusText(), QStringLiteral("Serial Port Closed."));
        QVERIFY(!panel.session().isOpen());
        QVERIFY(!panel.isVisible());
    }

    void enterQuitsUnlessAnotherButtonHasIt()
    {
        CTavrelDlg panel(Headless());
        panel.session().m_portName = EmulatorPortName();
        panel.show();
        QTest::mouseClick(Button(&panel, "openPortButton"), Qt::LeftButton);
        // Enter on a command button runs that button only.
        QTest::keyClick(Button(&panel, "closePortButton"), Qt::Key_Return);
        QCOMPARE(panel.statusText(), QStringLiteral("Serial Port Closed."));
        QVERIFY(panel.isVisible());

        QTest::mouseClick(Button(&panel, "openPortButton"), Qt::LeftButton);
        panel.setFocus();
        QTest::keyClick(&panel, Qt::Key_Return);
        QCOMPARE(panel.result(), int(QDialog::Accepted));
        QCOMPARE(panel.statusText(), QStringLiteral("Serial Port Closed."));
    }

    void escapeAndCloseBoxLeaveWithoutClosingThePort()
    {
        for (bool viaEscape : {true, false}) {
            CTavrelDlg panel(Headless());
            panel.session().m_portName = EmulatorPortName();
            panel.show();
            QTest::mouseClick(Button(&panel, "openPortButton"), Qt::LeftButton);
            if (viaEscape)
                QTest::keyClick(&panel, Qt::Key_Escape);
            else
                panel.close();
            QCOMPARE(panel.result(), int(QDialog::Rejected));
            QCOMPARE(panel.statusText(), QStringLiteral("COM Port open successful."));
            QVERIFY(panel.session().isOpen());
        }
    }

    // With nothing under way Escape leaves at once; while a script is being
    // recorded it asks first, and No keeps the panel and the recording.
    void escapeAsksOnlyWhileSomethingIsUnderWay()
    {
        QTemporaryDir folder;
        const QString recording = folder.filePath(QStringLiteral("rec.tavrel"));
        const auto previousSave = UiSeam::setSaveFileNameHandler(
            [&](QWidget*, const QString&, const QString&, const QString&) { return recording; });
        QStringList asked;
        UiSeam::Answer answer = UiSeam::Answer::No;
        const auto previousQuestion = UiSeam::setQuestionHandler([&](QWidget*, const QString& text, const QString&) {
            asked << text;
            return answer;
        });
        for (const bool recordingOn : {false, true}) {
            CTavrelDlg panel(Headless());
            panel.show();
            if (recordingOn) {
                panel.recordScript();
                QVERIFY(panel.isRecording());
                QTest::keyClick(&panel, Qt::Key_Escape);
                QCOMPARE(asked.size(), 1);
                QVERIFY2(asked.first().contains(recording), qPrintable(asked.first()));
                QVERIFY(panel.isVisible());
                QVERIFY(panel.isRecording());
                answer = UiSeam::Answer::Yes;
            }
            QTest::keyClick(&panel, Qt::Key_Escape);
            QVERIFY(!panel.isVisible());
            QCOMPARE(panel.result(), int(QDialog::Rejected));
            QVERIFY(!panel.isRecording());
            QCOMPARE(asked.size(), recordingOn ? 2 : 0);
        }
        UiSeam::setSaveFileNameHandler(previousSave);
        UiSeam::setQuestionHandler(previousQuestion);
    }

    void emulatorWindowFollowsTheChosenPort()
    {
        PanelOptions options;
        options.portName = QStringLiteral("/dev/ttyNOPE");
        CTavrelDlg panel(options);
        QWidget* emulatorWindow = panel.emulatorWindow();
        QVERIFY(emulatorWindow);
        panel.show();
        QTest::qWait(20);
        QVERIFY(!emulatorWindow->isVisible());

        ModalDriver driver;
        auto choosePort = [](const QString& name) {
            return [name](QWidget* dialog) {
                auto* ports = dialog->findChild<QComboBox*>(QStringLiteral("portCombo"));
                ports->setCurrentIndex(ports->findData(name));
                ModalDriver::clickOk(dialog);
            };
        };
        driver.expect(QStringLiteral("Com Port Settings"), choosePort(EmulatorPortName()));
        driver.expect(QStringLiteral("Com Port Settings"), choosePort(QStringLiteral("/dev/ttyNOPE")));
        QTest::mouseClick(Button(&panel, "comPortSettingsButton"), Qt::LeftButton);
        QTRY_VERIFY(emulatorWindow->isVisible());
        QVERIFY(emulatorWindow->isWindow());

        panel.hide();
        QVERIFY(!emulatorWindow->isVisible());
        panel.show();
        QTRY_VERIFY(emulatorWindow->isVisible());

        QTest::mouseClick(Button(&panel, "comPortSettingsButton"), Qt::LeftButton);
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
        QVERIFY(!emulatorWindow->isVisible());
    }

    // F1 opens the manual at the section for the window in front: the
    // panel's own, or that of a dialog, to which the manual is lent so that
    // it can be scrolled while the dialog is up.
    void f1OpensTheManualAtTheWindowsSection()
    {
        CTavrelDlg panel(Headless());
        panel.show();
        panel.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        QTest::keyClick(&panel, Qt::Key_F1);
        CHelpWindow* help = panel.helpWindow();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->windowTitle(), QStringLiteral("Tavrel Help"));
        QCOMPARE(help->currentHeading(), QStringLiteral("The panel"));
        QVERIFY(help->headings().contains(QStringLiteral("Scripts")));
        QVERIFY(!help->headings().contains(QStringLiteral("Installing")));  // the developers' part is left out

        ModalDriver driver;
        driver.expect(QStringLiteral("Draw Circle"), [&](QWidget* dialog) {
            QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_F1);
            driver.note(help->currentHeading());
            driver.note(help->parentWidget() == dialog ? QStringLiteral("lent") : QStringLiteral("not lent"));
            ModalDriver::pressEscape(dialog);
        });
        QTest::mouseClick(Button(&panel, "drawCircleButton"), Qt::LeftButton);
        DRIVEN(driver);
        QCOMPARE(driver.readings(), (QStringList{"Drawing", "lent"}));
        // Back with the panel when the dialog has gone, and still open.
        QCOMPARE(help->parentWidget(), &panel);
        QVERIFY(help->isVisible());
        // Every window the panel opens has a section of the manual.
        for (const char* title : {"Com Port Settings", "Display Image", "Display or Create Slideshow",
                                  "Character Editor", "SD Card File Info:", "Traffic History", "Run Script",
                                  "Quennel Emulator", "Scroll Control", "Text Button"})
            QVERIFY2(help->headings().contains(CHelpWindow::sectionForWindow(QLatin1String(title))), title);
    }

    // The port, the folders and the window places come back in the next
    // run; a port that has gone is only shown; --reset-settings forgets.
    // Everything in a temporary folder.
    void settingsComeBackInTheNextRun()
    {
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("tavrel.ini"));
        PanelOptions options = OnPort(EmulatorPortName());
        options.settingsFile = file;
        QDir(folder.path()).mkdir(QStringLiteral("scripts"));
        const QString script = folder.filePath(QStringLiteral("scripts/rec.tavrel"));
        QStringList offered;
        const auto previousSave = UiSeam::setSaveFileNameHandler(
            [&](QWidget*, const QString&, const QString& directory, const QString&) {
                offered << directory;
                return script;
            });
        QPoint panelAt;
        QPoint trafficAt;
        QSize trafficSize;
        {
            CTavrelDlg panel(options);
            panel.show();
            QTest::mouseClick(Button(&panel, "openPortButton"), Qt::LeftButton);
            panel.recordScript();
            panel.stopRecording();
            panel.showTrafficHistory();
            panel.trafficWindow()->resize(320, 200);
            panel.trafficWindow()->move(300, 200);
            trafficAt = panel.trafficWindow()->pos();
            trafficSize = panel.trafficWindow()->size();
            panelAt = panel.pos();
            panel.hide();
        }
        options.portName.clear();
        {
            CTavrelDlg panel(options);
            QCOMPARE(panel.findChild<QLabel*>("portLabel")->text(), EmulatorPortName() + QStringLiteral(", 115200"));
            QVERIFY(!panel.session().isOpen());
            QCOMPARE(panel.pos(), panelAt);
            panel.show();
            panel.showTrafficHistory();
            QCOMPARE(panel.trafficWindow()->pos(), trafficAt);
            QCOMPARE(panel.trafficWindow()->size(), trafficSize);
            panel.recordScript();
            panel.stopRecording();
            QCOMPARE(offered.value(1), folder.filePath(QStringLiteral("scripts")));
            // Colours and the font start as always.
            QCOMPARE(panel.foregroundColour(), kWhite);
            QCOMPARE(panel.session().m_fontIndex, 0);
        }
        UiSeam::setSaveFileNameHandler(previousSave);

        // A remembered adapter that is not plugged in: chosen, not open, no word.
        PanelSettings(file).setPort(QStringLiteral("/dev/ttyGONE0"), QStringLiteral("9600"));
        {
            UiSeamRecorder seam;
            CTavrelDlg panel(options);
            panel.show();
            QCOMPARE(panel.findChild<QLabel*>("portLabel")->text(), QStringLiteral("/dev/ttyGONE0, 9600"));
            QCOMPARE(panel.statusText(), QString());
            QVERIFY(seam.messages.isEmpty());
            QTest::mouseClick(Button(&panel, "openPortButton"), Qt::LeftButton);
            QCOMPARE(panel.statusText(), QStringLiteral("Error Creating Com Port Interface."));
        }

        QVERIFY(PanelSettings::forget(file));
        CTavrelDlg fresh(options);
        QCOMPARE(fresh.findChild<QLabel*>("portLabel")->text(), DefaultPortName() + QStringLiteral(", 115200"));
    }

    // On a dark desktop as on a light one: the traffic window's colours,
    // the status window, the closed port's lamp and the colour buttons'
    // black swatch all stand out from what they are drawn on.
    void legibleInDarkAndLight_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void legibleInDarkAndLight()
    {
        QFETCH(bool, dark);
        const QPalette previous = QApplication::palette();
        if (dark)
            QApplication::setPalette(DarkPalette());
        {
            OpenPanel rig;
            CTavrelDlg& panel = rig.panel;
            rig.click(QStringLiteral("clearScreenButton"));
            panel.showTrafficHistory();
            panel.trafficWindow()->syncNow();
            const QPalette palette = QApplication::palette();
            const QAbstractItemModel* rows = panel.trafficWindow()->findChild<QTreeView*>()->model();
            QCOMPARE(rows->rowCount(), 4);  // opened, purged, sent, received
            for (int row = 0; row < rows->rowCount(); ++row) {
                const QColor text = rows->index(row, 0).data(Qt::ForegroundRole).value<QColor>();
                QVERIFY2(Contrast(text, palette.color(QPalette::Base)) >= 3.0, qPrintable(text.name()));
            }
            auto* status = panel.findChild<QPlainTextEdit*>("statusWindow");
            QVERIFY(Contrast(status->palette().color(QPalette::Text), status->palette().color(QPalette::Base)) >= 4.5);
            rig.click(QStringLiteral("closePortButton"));
            auto* lamp = panel.findChild<QWidget*>(QStringLiteral("portStateLamp"));
            QVERIFY(StrongestContrast(lamp, palette.color(QPalette::Window)) >= 2.0);
            // The black swatch's edge is seen against the button's face.
            auto* black = panel.findChild<CXColourPicker*>("backgroundColour");
            QVERIFY(StrongestContrast(black, palette.color(QPalette::Button), 0.5) >= 4.5);
        }
        QApplication::setPalette(previous);
    }

    // The About box stays in the context menu.
    void aboutBoxShowsTheVersion()
    {
        CTavrelDlg panel(Headless());
        ModalDriver driver;
        driver.expect(QStringLiteral("About Tavrel"), [&](QWidget* about) {
            driver.read(about, QStringLiteral("versionLabel"));
            auto* icon = about->findChild<QLabel*>(QStringLiteral("aboutIcon"));
            driver.note(icon && !icon->pixmap().isNull() ? QStringLiteral("icon") : QStringLiteral("no icon"));
            ModalDriver::clickOk(about);
        });
        panel.showAbout();
        DRIVEN(driver);
        QCOMPARE(driver.readings(), (QStringList{"Tavrel Version 1.0", "icon"}));
    }

    void contextMenuOffersTheAboutBox()
    {
        CTavrelDlg panel(Headless());
        panel.show();
        QStringList items;
        QTimer menuAnswer;
        menuAnswer.setInterval(10);
        connect(&menuAnswer, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            menuAnswer.stop();
            for (QAction* action : menu->actions())
                items << action->text();
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        menuAnswer.start();
        ModalDriver driver;
        driver.expect(QStringLiteral("About Tavrel"), [](QWidget* about) { ModalDriver::pressEscape(about); });

        const QPoint at(4, 4);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, panel.mapToGlobal(at));
        QApplication::sendEvent(&panel, &event);
        QCOMPARE(items, (QStringList{"&About Tavrel...", "&Traffic History\u2026", "&Help", "", "Record Script\u2026",
                                     "Stop Recording", "Run Script\u2026"}));
        QVERIFY2(driver.done(), qPrintable(driver.problems().join("; ")));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"

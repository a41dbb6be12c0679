// SPDX-License-Identifier: GPL-3.0-or-later
// The palette a colour button drops down: what it offers, how the keys and
// the mouse move the highlight, how a selection ends, and what the button
// and its owner hear of it.

#include "app/CTavrelDlg.h"
#include "widgets/CXColourPicker.h"
#include "widgets/CXColourPopup.h"
#include "widgets/SystemColours.h"

#include <QtTest>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

using namespace tavrel;
using Cell = CXColourPopup::Cell;

namespace {

constexpr HostColour kRose = MakeHostColour(0xFF, 0x80, 0xC0);  // "Pink", row 0 column 5
constexpr int kPickerId = 1010;

QString Describe(Cell c)
{
    return QStringLiteral("(%1, %2)").arg(c.row).arg(c.column);
}

void SendMouse(QWidget* target, QEvent::Type type, const QPoint& at)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

void ClickAt(QWidget* popup, const QPoint& at)
{
    SendMouse(popup, QEvent::MouseMove, at);
    SendMouse(popup, QEvent::MouseButtonPress, at);
    SendMouse(popup, QEvent::MouseButtonRelease, at);
}

CustomColours Sequence(HostColour first)
{
    CustomColours colours;
    for (int i = 0; i < int(colours.size()); ++i)
        colours[i] = first + HostColour(i);
    return colours;
}

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

// A shown colour button and a log of what it tells its owner, in order,
// e.g. "opened ffffff 1010".
struct PickerRig {
    PickerRig()
        : picker(new CXColourPicker(&owner))
    {
        picker->setProperty("controlId", kPickerId);
        picker->setGeometry(10, 10, 90, 30);
        owner.resize(200, 60);
        owner.show();
        const auto record = [this](const char* what) {
            return [this, what](HostColour c, int id) { log << line(what, c, id); };
        };
        QObject::connect(picker, &CXColourPicker::colourPickOpened, picker, record("opened"));
        QObject::connect(picker, &CXColourPicker::colourPickClosed, picker, record("closed"));
        QObject::connect(picker, &CXColourPicker::colourPickAccepted, picker, record("accepted"));
        QObject::connect(picker, &CXColourPicker::colourPickCancelled, picker, record("cancelled"));
        QObject::connect(picker, &CXColourPicker::colourChanged, picker, record("changed"));
    }

    CXColourPopup* open()
    {
        QTest::mouseClick(picker, Qt::LeftButton);
        return picker->popup();
    }

    static QString line(const char* what, HostColour c, int id = kPickerId)
    {
        return QStringLiteral("%1 %2 %3").arg(QLatin1String(what)).arg(c, 6, 16, QLatin1Char('0')).arg(id);
    }

    QWidget owner;
    CXColourPicker* picker;
    QStringList log;
};

// Answers the Custom... colour dialog, records what it was given; confirms
// with the queued answer or cancels.
struct CustomDialogAnswer {
    CustomDialogAnswer()
    {
        previous = UiSeam::setColourHandler([this](QWidget*, HostColour initial, CustomColours& custom,
                                                   HostColour& chosen) {
            ++requests;
            givenInitial = initial;
            givenCustom = custom;
            if (confirm) {
                chosen = answer;
                custom = answerCustom;
            }
            return confirm;
        });
    }
    ~CustomDialogAnswer() { UiSeam::setColourHandler(std::move(previous)); }

    bool confirm = false;
    HostColour answer = 0;
    CustomColours answerCustom{};
    int requests = 0;
    HostColour givenInitial = 0;
    CustomColours givenCustom{};
    UiSeam::ColourHandler previous;
};

// The offscreen platform cannot raise windows or grab the keyboard, and
// says so each time a popup opens; those notes are not test output.
QtMessageHandler g_nextHandler = nullptr;

void QuietAboutPopupGrabs(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.startsWith(QLatin1String("This plugin does not support")))
        g_nextHandler(type, context, message);
}

} // namespace

class TestColourPopup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { g_nextHandler = qInstallMessageHandler(QuietAboutPopupGrabs); }
    void cleanupTestCase() { qInstallMessageHandler(g_nextHandler); }

    void opensUnderTheButtonWithItsColours()
    {
        PickerRig rig;
        rig.picker->customColours() = Sequence(0x00102030);
        CXColourPopup* popup = rig.open();
        QVERIFY(popup && popup->isVisible());
        QCOMPARE(popup->mapToGlobal(QPoint(0, 0)), rig.picker->mapToGlobal(QPoint(0, rig.picker->height())));
        QCOMPARE(popup->height(), 13 * 18 + 2 * popup->margin());
        QCOMPARE(popup->customButtonRect().top(), popup->margin() + 10 * 18);
        QVERIFY(popup->customButtonRect().bottom() < popup->cellRect(11, 0).top());

        QCOMPARE(popup->cellColour(5, 0), MakeHostColour(0x64, 0x95, 0xED));
        QCOMPARE(popup->toolTipAt(popup->cellRect(6, 2).center()), QStringLiteral("Gray 40%"));
        QCOMPARE(popup->toolTipAt(popup->cellRect(8, 7).center()), QStringLiteral("Desktop"));
        QCOMPARE(popup->toolTipAt(popup->customButtonRect().center()), QStringLiteral("Selects a custom color"));
        QCOMPARE(popup->toolTipAt(popup->dividerRect().center()), QString());
        QCOMPARE(popup->toolTipAt(popup->cellRect(12, 3).center()), QStringLiteral("Custom color 12"));
        QCOMPARE(popup->cellColour(12, 3), HostColour(0x0010203B));
        QTest::keyClick(popup, Qt::Key_Escape);

#ifndef Q_OS_WIN
        // System colours come from the application palette, read afresh for
        // every popup.
        const QPalette saved = QGuiApplication::palette();
        QPalette palette = saved;
        palette.setColor(QPalette::Active, QPalette::ToolTipBase, QColor(4, 5, 6));
        palette.setColor(QPalette::Active, QPalette::Shadow, QColor(10, 11, 12));
        QApplication::setPalette(palette);
        popup = rig.open();
        QCOMPARE(popup->cellColour(7, 2), MakeHostColour(4, 5, 6));
        QCOMPARE(popup->cellColour(8, 7), MakeHostColour(10, 11, 12));
        QTest::keyClick(popup, Qt::Key_Escape);
        QApplication::setPalette(saved);
#else
        // System colours are the system's own, as GetSysColor gives them.
        popup = rig.open();
        for (int i = 0; i < kSystemColourCount; ++i) {
            const COLORREF system = ::GetSysColor(SystemColourTable()[i].windowsIndex);
            QCOMPARE(popup->cellColour(7 + i / 8, i % 8), MakeHostColour(GetRValue(system), GetGValue(system),
                                                                         GetBValue(system)));
        }
        QTest::keyClick(popup, Qt::Key_Escape);
#endif
    }

    void startUpColoursAreSelectedAndAReadBackOneIsNot()
    {
        CTavrelDlg panel([] {
            PanelOptions options;
            options.showEmulatorWindow = false;
            return options;
        }());
        panel.show();
        auto* foreground = panel.findChild<CXColourPicker*>("foregroundColour");
        auto* background = panel.findChild<CXColourPicker*>("backgroundColour");
        QTest::mouseClick(foreground, Qt::LeftButton);
        QCOMPARE(Describe(foreground->popup()->selectedCell()), Describe({6, 7}));
        QTest::keyClick(foreground->popup(), Qt::Key_Escape);
        QTest::mouseClick(background, Qt::LeftButton);
        QCOMPARE(Describe(background->popup()->selectedCell()), Describe({6, 0}));
        QTest::keyClick(background->popup(), Qt::Key_Escape);

        // What Read Pixel leaves after a colour travelled as RGB565.
        panel.setForegroundColour(MakeHostColour(152, 100, 48));
        QTest::mouseClick(foreground, Qt::LeftButton);
        QCOMPARE(Describe(foreground->popup()->selectedCell()), Describe({}));
        QTest::keyClick(foreground->popup(), Qt::Key_Escape);
        QCOMPARE(panel.foregroundColour(), MakeHostColour(152, 100, 48));
    }

    void keyboardWalksAndWraps_data()
    {
        QTest::addColumn<HostColour>("start");  // its cell is the selected one
        QTest::addColumn<QString>("keys");      // Down, Up, Left, Right
        QTest::addColumn<QString>("expected");  // the highlight after each key

        QTest::newRow("down over the divider and round")
            << kWhite << "DDDDDD" << "(7, 7) (8, 7) (10, 7) (11, 7) (12, 7) (0, 7)";
        QTest::newRow("up over the divider and round") << kRose << "UUUUU" << "(12, 5) (11, 5) (10, 5) (8, 5) (7, 5)";
        QTest::newRow("right wraps within the row") << kRose << "RRR" << "(0, 6) (0, 7) (0, 0)";
        QTest::newRow("left wraps within the row") << kBlack << "LL" << "(6, 7) (6, 6)";
        QTest::newRow("no cell: down starts top left") << HostColour(0x123456) << "DR" << "(0, 0) (0, 1)";
        QTest::newRow("no cell: left starts bottom right") << HostColour(0x123456) << "LU" << "(12, 7) (11, 7)";
    }

    void keyboardWalksAndWraps()
    {
        QFETCH(HostColour, start);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        PickerRig rig;
        rig.picker->setColour(start);
        CXColourPopup* popup = rig.open();
        QStringList walked;
        for (QChar key : keys) {
            const Qt::Key k = key == 'D' ? Qt::Key_Down
                : key == 'U'             ? Qt::Key_Up
                : key == 'L'             ? Qt::Key_Left
                                         : Qt::Key_Right;
            QTest::keyClick(popup, k);
            walked << Describe(popup->highlightedCell());
        }
        QCOMPARE(walked.join(' '), expected);
        QTest::keyClick(popup, Qt::Key_Escape);
    }

    void mouseHighlightsWithoutPreviewOnTheButton()
    {
        PickerRig rig;
        rig.picker->setColour(kBlack);
        CXColourPopup* popup = rig.open();
        SendMouse(popup, QEvent::MouseMove, popup->cellRect(0, 2).center());
        QCOMPARE(popup->currentColour(), HostColour(0x000000FF));
        QCOMPARE(rig.picker->colour(), kBlack);
        QCOMPARE(rig.picker->grab().toImage().pixelColor(rig.picker->swatchRect().center()), QColor(Qt::black));

        // Highlighted cells are raised, the button's own cell sunken.
        QPalette palette = popup->palette();
        palette.setColor(QPalette::Button, QColor(0xF0, 0xF0, 0xF0));
        palette.setColor(QPalette::Light, QColor(0xFF, 0xFF, 0xFE));
        palette.setColor(QPalette::Dark, QColor(0x70, 0x70, 0x71));
        popup->setPalette(palette);
        const QImage image = popup->grab().toImage();
        QCOMPARE(image.pixelColor(popup->cellRect(0, 2).topLeft()), QColor(0xFF, 0xFF, 0xFE));
        QCOMPARE(image.pixelColor(popup->cellRect(6, 0).topLeft()), QColor(0x70, 0x70, 0x71));
        QCOMPARE(image.pixelColor(popup->cellRect(2, 3).topLeft()), QColor(0xF0, 0xF0, 0xF0));
        QCOMPARE(image.pixelColor(popup->cellRect(0, 2).center()), QColor(Qt::red));

        // The Custom... button keeps the current colour; leaving the cells
        // removes the highlight.
        SendMouse(popup, QEvent::MouseMove, popup->customButtonRect().center());
        QCOMPARE(popup->highlightedCell().row, 10);
        QCOMPARE(popup->currentColour(), HostColour(0x000000FF));
        SendMouse(popup, QEvent::MouseMove, QPoint(20, -3));
        QVERIFY(popup->highlightedCell().isNone());
        QTest::keyClick(popup, Qt::Key_Escape);
    }

    void acceptingTheSameColourChangesNothing()
    {
        PickerRig rig;
        rig.picker->setColour(kRose);
        QPointer<CXColourPopup> popup = rig.open();
        QTest::qWait(1);  // the click's own repaints come first
        PaintCounter paints(rig.picker);
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Up);
        QTest::keyClick(popup, Qt::Key_Return);
        QCOMPARE(paints.count, 0);
        QCOMPARE(rig.log, QStringList({PickerRig::line("opened", kRose), PickerRig::line("closed", kRose),
                                       PickerRig::line("accepted", kRose)}));
        QTRY_VERIFY(popup.isNull());

        // Another colour: the button changes, redraws and says so last.
        rig.log.clear();
        popup = rig.open();
        ClickAt(popup, popup->cellRect(4, 5).center());
        QVERIFY(paints.count > 0);
        const HostColour blue = 0x00FF0000;
        QCOMPARE(rig.picker->colour(), blue);
        QCOMPARE(rig.log, QStringList({PickerRig::line("opened", kRose), PickerRig::line("closed", blue),
                                       PickerRig::line("accepted", blue), PickerRig::line("changed", blue)}));
    }

    void cancellingKeepsTheColourAndSavesTheCustomColours_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Escape") << true;
        QTest::newRow("release outside") << false;
    }

    void cancellingKeepsTheColourAndSavesTheCustomColours()
    {
        QFETCH(bool, byEscape);
        PickerRig rig;
        rig.picker->setColour(kRose);
        rig.picker->customColours() = Sequence(0x00010000);
        CustomDialogAnswer dialog;
        dialog.confirm = true;
        dialog.answer = 0x00ABCDEF;
        dialog.answerCustom = Sequence(0x00200000);

        QPointer<CXColourPopup> popup = rig.open();
        ClickAt(popup, popup->customButtonRect().center());
        QCOMPARE(dialog.givenInitial, kRose);
        QVERIFY(dialog.givenCustom == Sequence(0x00010000));
        QVERIFY(popup && popup->isVisible());
        QCOMPARE(popup->cellColour(11, 1), HostColour(0x00200001));

        SendMouse(popup, QEvent::MouseMove, popup->cellRect(2, 2).center());
        if (byEscape) {
            QTest::keyClick(popup, Qt::Key_Escape);
        } else {
            const QPoint outside(popup->width() + 5, 40);
            SendMouse(popup, QEvent::MouseButtonPress, outside);
            QVERIFY(popup && popup->isVisible());  // the press alone does not end it
            SendMouse(popup, QEvent::MouseButtonRelease, outside);
        }
        QCOMPARE(rig.picker->colour(), kRose);
        QVERIFY(rig.picker->customColours() == Sequence(0x00200000));
        QCOMPARE(rig.log, QStringList({PickerRig::line("opened", kRose), PickerRig::line("closed", kRose),
                                       PickerRig::line("cancelled", kRose)}));
        QTRY_VERIFY(popup.isNull());

        // The next popup of this button shows them; another button has its own.
        CXColourPicker other;
        QCOMPARE(other.customColours()[15], kWhite);
        popup = rig.open();
        QCOMPARE(popup->cellColour(12, 7), HostColour(0x0020000F));
        popup->close();  // closed from outside counts as cancelled too
        QCOMPARE(rig.log.last(), PickerRig::line("cancelled", kRose));
    }

    void dividerAndCustomButtonKeepThePopupOpen()
    {
        PickerRig rig;
        CustomDialogAnswer dialog;  // cancels
        QPointer<CXColourPopup> popup = rig.open();
        ClickAt(popup, popup->dividerRect().center());
        QVERIFY(popup && popup->isVisible());

        // Down from row 8 lands on Custom...; Enter there opens the dialog
        // every time.
        SendMouse(popup, QEvent::MouseMove, popup->cellRect(8, 4).center());
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
        QTest::keyClick(popup, Qt::Key_Enter);
        QCOMPARE(dialog.requests, 2);
        QVERIFY(popup && popup->isVisible());
        QCOMPARE(rig.log.size(), 1);

        // A confirmed dialog's colour is what an accept with nothing
        // highlighted returns.
        dialog.confirm = true;
        dialog.answer = 0x00445566;
        QTest::keyClick(popup, Qt::Key_Return);
        SendMouse(popup, QEvent::MouseMove, QPoint(popup->width() - 1, popup->cellRect(3, 0).center().y()));
        QVERIFY(popup->highlightedCell().isNone());
        QTest::keyClick(popup, Qt::Key_Return);
        QCOMPARE(rig.picker->colour(), HostColour(0x00445566));
    }
};

QTEST_MAIN(TestColourPopup)
#include "tst_colour_popup.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The colour button: what its owner sets, what the user picks, and how
// disabling and enabling treat the colour and the swatch.

#include "support/UiSeamRecorder.h"
#include "widgets/CXColourPicker.h"
#include "widgets/CXColourPopup.h"

#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

constexpr HostColour kRed = 0x000000FF;
constexpr HostColour kBlue = 0x00FF0000;

QColor SwatchColour(CXColourPicker& picker)
{
    const QImage face = picker.grab().toImage();
    return face.pixelColor(picker.swatchRect().center());
}

// The offscreen platform cannot raise windows or grab the keyboard, and
// says so each time a popup opens; those notes are not test output.
QtMessageHandler g_nextHandler = nullptr;

void QuietAboutPopupGrabs(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    g_nextHandler(type, context, message);
}

} // namespace

class TestColourPicker : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { g_nextHandler = qInstallMessageHandler(QuietAboutPopupGrabs); }
    void cleanupTestCase() { qInstallMessageHandler(g_nextHandler); }

    void ownerSetsColourWithoutNotification()
    {
        CXColourPicker picker;
        QCOMPARE(picker.colour(), kWhite);
        for (HostColour custom : picker.customColours())
            QCOMPARE(custom, kWhite);
        QSignalSpy changed(&picker, &CXColourPicker::colourChanged);
        picker.resize(90, 30);
        picker.setColour(0x00336699);
        QCOMPARE(picker.colour(), HostColour(0x00336699));
        QCOMPARE(picker.enabledColour(), HostColour(0x00336699));
        QCOMPARE(SwatchColour(picker), QColor(0x99, 0x66, 0x33));
        QCOMPARE(changed.count(), 0);
    }

    void swatchIsFramedInBlackLeftOfTheArrow()
    {
        CXColourPicker picker;
        picker.resize(90, 30);
        picker.setColour(kWhite);
        const QRect swatch = picker.swatchRect();
        QVERIFY(swatch.isValid());
        QVERIFY(swatch.right() < picker.width() - 12);
        const QImage face = picker.grab().toImage();
        QCOMPARE(face.pixelColor(swatch.topLeft()), QColor(Qt::black));
        QCOMPARE(face.pixelColor(swatch.bottomRight()), QColor(Qt::black));
        QCOMPARE(face.pixelColor(swatch.center()), QColor(Qt::white));
    }

    void disablingHidesTheSwatchAndKeepsTheColour()
    {
        CXColourPicker picker;
        picker.resize(90, 30);
        picker.setColour(kRed);
        const QPoint centre = picker.swatchRect().center();
        picker.setEnabled(false);
        QCOMPARE(picker.colour(), CXColourPicker::kDisabledColour);
        QCOMPARE(picker.enabledColour(), kRed);
        QVERIFY(picker.swatchRect().isEmpty());
        QVERIFY(picker.grab().toImage().pixelColor(centre) != QColor(Qt::red));

        picker.setEnabled(true);
        QCOMPARE(picker.colour(), kRed);
        QCOMPARE(SwatchColour(picker), QColor(Qt::red));
    }

    void disablingTheParentCountsToo()
    {
        QWidget owner;
        auto* picker = new CXColourPicker(&owner);
        picker->setColour(kBlue);
        owner.setEnabled(false);
        QCOMPARE(picker->colour(), CXColourPicker::kDisabledColour);
        owner.setEnabled(true);
        QCOMPARE(picker->colour(), kBlue);
    }

    void clickLetsTheUserPickAColour()
    {
        UiSeamRecorder seam;
        QWidget owner;
        auto* picker = new CXColourPicker(&owner);
        picker->resize(90, 30);
        owner.show();
        QSignalSpy changed(picker, &CXColourPicker::colourChanged);

        // The click drops the palette down; a click on Blue (row 4,
        // column 5) takes it.
        QTest::mouseClick(picker, Qt::LeftButton);
        CXColourPopup* popup = picker->popup();
        QVERIFY(popup);
        QCOMPARE(popup->initialColour(), kWhite);
        const QPoint blue = popup->cellRect(4, 5).center();
        QMouseEvent move(QEvent::MouseMove, blue, popup->mapToGlobal(blue), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(popup, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, blue, popup->mapToGlobal(blue), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(popup, &release);
        QCOMPARE(picker->colour(), kBlue);
        QCOMPARE(picker->enabledColour(), kBlue);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<HostColour>(), kBlue);
        QCOMPARE(SwatchColour(*picker), QColor(Qt::blue));

        // Taking the same colour again changes nothing.
        QTest::mouseClick(picker, Qt::LeftButton);
        QVERIFY(picker->popup());
        QTest::keyClick(picker->popup(), Qt::Key_Return);
        QCOMPARE(changed.count(), 1);

        QTest::mouseClick(picker, Qt::LeftButton);
        QTest::keyClick(picker->popup(), Qt::Key_Escape);  // cancelled
        QCOMPARE(picker->colour(), kBlue);
        QCOMPARE(changed.count(), 1);
        // The palette alone never asks for the system colour dialog.
        QCOMPARE(seam.colourRequests, 0);
    }
};

QTEST_MAIN(TestColourPicker)
#include "tst_colour_picker.moc"

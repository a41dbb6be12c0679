// The colour button: what its owner sets, what the user picks, and how
// disabling and enabling treat the colour and the swatch.

#include "support/UiSeamRecorder.h"
#include "widgets/CXColourPicker.h"

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

} // namespace

class TestColourPicker : public QObject {
    Q_OBJECT
private slots:
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
        CXColourPicker picker;
        picker.resize(90, 30);
        QSignalSpy changed(&picker, &CXColourPicker::colourChanged);

        seam.colourAnswers = {kBlue};
        QTest::mouseClick(&picker, Qt::LeftButton);
        QCOMPARE(seam.lastInitialColour, kWhite);
        QCOMPARE(picker.colour(), kBlue);
        QCOMPARE(picker.enabledColour(), kBlue);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<HostColour>(), kBlue);

        seam.colourAnswers = {kBlue};
        QTest::mouseClick(&picker, Qt::LeftButton);
        QCOMPARE(changed.count(), 1);

        QTest::mouseClick(&picker, Qt::LeftButton);  // cancelled
        QCOMPARE(seam.colourRequests, 3);
        QCOMPARE(picker.colour(), kBlue);
        QCOMPARE(changed.count(), 1);
    }
};

QTEST_MAIN(TestColourPicker)
#include "tst_colour_picker.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// Every dialog and window of the program, opened from the panel's buttons as
// a user opens it, on the small screens of laptops run at 150 % (853 x 533
// and 911 x 512 pixels), at the default font and at a font half as large
// again: each lies on the screen with every button in view or in a scroll
// area, no two visible controls may cover each other, a click at the
// centre of an edit field must give that field the focus, and Enter in a
// text box of several lines must press the dialog's default button rather
// than add a line.

#include "app/CHelpWindow.h"
#include "app/CTavrelDlg.h"
#include "emulator/Emulator.h"
#include "link/PortNames.h"
#include "link/dialogs/CTrafficWindow.h"
#include "support/ModalDriver.h"
#include "support/OffscreenScreens.h"
#include "support/UiSeamRecorder.h"
#include "widgets/COledCharEdit.h"
#include "widgets/UiSeam.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

using namespace tavrel;
using namespace tavrel::testing;

namespace {

// Pairs of controls that are meant to lie on each other, by dialog title
// and object names. None so far: a label that should sit on a control would
// be listed here with the reason.
struct IntendedOverlap {
    const char* dialog;
    const char* first;
    const char* second;
    const char* reason;
};
const QVector<IntendedOverlap> kIntendedOverlaps = {};

bool IsIntended(const QString& dialog, const QWidget* a, const QWidget* b)
{
    for (const IntendedOverlap& o : kIntendedOverlaps) {
        if (!dialog.startsWith(QStringLiteral("\"%1\"").arg(QLatin1String(o.dialog))))
            continue;
        const QString x = a->objectName();
        const QString y = b->objectName();
        if ((x == QLatin1String(o.first) && y == QLatin1String(o.second))
            || (x == QLatin1String(o.second) && y == QLatin1String(o.first)))
            return true;
    }
    return false;
}

QString Describe(const QWidget* w)
{
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(w))
        text = label->text();
    else if (auto* button = qobject_cast<const QAbstractButton*>(w))
        text = button->text();
    else if (auto* box = qobject_cast<const QGroupBox*>(w))
        text = box->title();
    const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    return text.isEmpty() ? name : QStringLiteral("%1 \"%2\"").arg(name, text.left(30));
}

QString Rect(const QRect& r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Children whose own children are the program's controls, not parts of a
// Qt widget: the window itself, group boxes and plain containers.
bool HoldsControls(const QWidget* w)
{
    const QMetaObject* meta = w->metaObject();
    return w->isWindow() || qobject_cast<const QGroupBox*>(w) || meta == &QWidget::staticMetaObject
        || meta == &QFrame::staticMetaObject;
}

// A rectangle of a parent that is drawn by the parent itself and must stay
// clear of child controls, e.g. the character editor's grid.
QVector<QPair<QString, QRect>> PaintedAreas(const QWidget* w)
{
    QVector<QPair<QString, QRect>> areas;
    if (qobject_cast<const COledCharEdit*>(w))
        areas.append({QStringLiteral("the character grid"),
                      COledCharEdit::CellRect(0, 0).united(COledCharEdit::CellRect(7, 7))});
    return areas;
}

void CheckOverlaps(const QString& dialog, QWidget* parent, QStringList& faults)
{
    QList<QWidget*> children;
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child && !child->isWindow() && child->isVisible() && !child->geometry().isEmpty())
            children << child;
    }
    for (int i = 0; i < children.size(); ++i) {
        QWidget* a = children.at(i);
        for (const auto& [name, area] : PaintedAreas(parent))
            if (a->geometry().intersects(area))
                faults << QStringLiteral("%1: %2 %3 lies on %4 %5")
                              .arg(dialog, Describe(a), Rect(a->geometry()), name, Rect(area));
        for (int j = i + 1; j < children.size(); ++j) {
            QWidget* b = children.at(j);
            const QRect ra = a->geometry();
            const QRect rb = b->geometry();
            if (!ra.intersects(rb) || IsIntended(dialog, a, b))
                continue;
            // A group box and the controls inside its frame belong together.
            if ((qobject_cast<QGroupBox*>(a) && ra.contains(rb)) || (qobject_cast<QGroupBox*>(b) && rb.contains(ra)))
                continue;
            faults << QStringLiteral("%1: %2 %3 overlaps %4 %5")
                          .arg(dialog, Describe(a), Rect(ra), Describe(b), Rect(rb));
        }
        // A control that sticks out of the window is cut off.
        if (parent->isWindow() && !parent->rect().contains(a->geometry()))
            faults << QStringLiteral("%1: %2 %3 sticks out of the window %4")
                          .arg(dialog, Describe(a), Rect(a->geometry()), Rect(parent->rect()));
        if (HoldsControls(a))
            CheckOverlaps(dialog, a, faults);
        if (auto* area = qobject_cast<QScrollArea*>(a); area && area->widget())
            CheckOverlaps(dialog, area->widget(), faults);
    }
}

QScrollArea* EnclosingScrollArea(QWidget* w)
{
    for (QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(p))
            return area;
    return nullptr;
}

// The window lies on its screen's free area, and every button can be
// reached: in view, or inside a scroll area that brings it into view.
void CheckOnScreen(const QString& dialog, QWidget* window, QStringList& faults)
{
    const QRect available = window->screen()->availableGeometry();
    if (!available.contains(window->frameGeometry()))
        faults << QStringLiteral("%1: the window %2 is not inside the screen's free area %3")
                      .arg(dialog, Rect(window->frameGeometry()), Rect(available));
    // A dialog the screen had room for shows its fields whole.
    const QRect frame = window->frameGeometry();
    const bool roomy = frame.width() < available.width() - 8 && frame.height() < available.height() - 8;
    auto* fields = window->findChild<QScrollArea*>(QStringLiteral("fieldsArea"));
    if (roomy && fields && (fields->verticalScrollBar()->maximum() > 0 || fields->horizontalScrollBar()->maximum() > 0))
        faults << QStringLiteral("%1: the fields scroll although the screen has room for them").arg(dialog);
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(window) || button->window() != window)
            continue;
        const QRect inWindow(button->mapTo(window, QPoint(0, 0)), button->size());
        QScrollArea* area = EnclosingScrollArea(button);
        const QRect shown = area ? QRect(area->mapTo(window, QPoint(0, 0)), area->size()) : window->rect();
        if (area && !area->widget()->rect().contains(QRect(button->mapTo(area->widget(), QPoint(0, 0)), button->size())))
            faults << QStringLiteral("%1: %2 lies outside its scroll area").arg(dialog, Describe(button));
        if (!area && !shown.contains(inWindow))
            faults << QStringLiteral("%1: %2 %3 is cut off by the window %4")
                          .arg(dialog, Describe(button), Rect(inWindow), Rect(window->rect()));
    }
}

bool IsEditField(const QWidget* w)
{
    if (qobject_cast<const QAbstractSpinBox*>(w))
        return true;
    if (qobject_cast<const QLineEdit*>(w))
        return !qobject_cast<const QAbstractSpinBox*>(w->parentWidget())
            && !qobject_cast<const QComboBox*>(w->parentWidget());
    if (auto* combo = qobject_cast<const QComboBox*>(w))
        return combo->isEditable();
    // Text boxes; lists and other scroll areas are not edit fields.
    return w->inherits("QPlainTextEdit") || w->inherits("QTextEdit");
}

// Clicks where the user would, through the window, so that whatever lies on
// top of the field at that point receives the click.
void CheckClickFocus(const QString& dialog, QWidget* window, QStringList& faults)
{
    for (QWidget* edit : window->findChildren<QWidget*>()) {
        if (!IsEditField(edit) || !edit->isVisibleTo(window) || !edit->isEnabled())
            continue;
        if (QWidget* focus = window->focusWidget())
            focus->clearFocus();
        if (QScrollArea* area = EnclosingScrollArea(edit))
            area->ensureWidgetVisible(edit);
        const QPoint centre = edit->mapTo(window, edit->rect().center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
        QWidget* expected = edit;
        while (expected->focusProxy())
            expected = expected->focusProxy();
        QWidget* focus = window->focusWidget();
        if (focus != expected && !(focus && expected->isAncestorOf(focus)))
            faults << QStringLiteral("%1: a click at the centre of %2 puts the focus on %3, under the click: %4")
                          .arg(dialog, Describe(edit), focus ? Describe(focus) : QStringLiteral("nothing"),
                               Describe(window->childAt(centre) ? window->childAt(centre) : window));
    }
}

// Notes an Enter key that reaches the window and stops it there, so that
// the dialog stays open for the remaining checks.
class EnterCatcher : public QObject {
public:
    bool reached = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        reached = true;
        return true;
    }
};

void CheckEnterInTextBoxes(const QString& dialog, QWidget* window, QStringList& faults)
{
    for (QAbstractScrollArea* box : window->findChildren<QAbstractScrollArea*>()) {
        // The panel's status window is a notepad: Enter there starts a line.
        if (!IsEditField(box) || !box->isVisibleTo(window) || box->objectName() == QLatin1String("statusWindow"))
            continue;
        auto* plain = qobject_cast<QPlainTextEdit*>(box);
        auto* rich = qobject_cast<QTextEdit*>(box);
        const auto text = [&] { return plain ? plain->toPlainText() : rich ? rich->toPlainText() : QString(); };
        const QString before = text();
        EnterCatcher catcher;
        window->installEventFilter(&catcher);
        box->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(box, Qt::Key_Return);
        window->removeEventFilter(&catcher);
        if (!catcher.reached)
            faults << QStringLiteral("%1: Enter in %2 does not reach the default button").arg(dialog, Describe(box));
        if (text() != before)
            faults << QStringLiteral("%1: Enter in %2 changes its text").arg(dialog, Describe(box));
    }
}

void Inspect(QWidget* window, const QString& label, QStringList& faults)
{
    const QString dialog = QStringLiteral("\"%1\" (%2)").arg(window->windowTitle(), label);
    CheckOverlaps(dialog, window, faults);
    CheckOnScreen(dialog, window, faults);
    CheckClickFocus(dialog, window, faults);
    CheckEnterInTextBoxes(dialog, window, faults);
}

// The panel's buttons and the dialogs each opens, one after another.
struct Opening {
    const char* button;
    QStringList titles;
};

const Opening kOpenings[] = {
    {"comPortSettingsButton", {"Com Port Settings"}},
    {"oledControlFunctionsButton", {"Oled Control Functions"}},
    {"setPixelButton", {"Enter Pixel Coordinates"}},
    {"readPixelButton", {"Enter Pixel Coordinates"}},
    {"drawLineButton", {"Enter Coordinates"}},
    {"drawRectangleButton", {"Enter Coordinates"}},
    {"drawTriangleButton", {"Draw Triangle"}},
    {"drawCircleButton", {"Draw Circle"}},
    {"drawPolygonButton", {"Draw Polygon"}},
    {"printCharacterButton", {"Text Character"}},
    {"printTextStringButton", {"Print Text"}},
    {"textButtonButton", {"Text Button"}},
    {"addUserCharButton", {"Character Editor"}},
    {"displayUserCharButton", {"Display User Character"}},
    {"displayImageButton", {"Display Image"}},
    {"copyAreaButton", {"Copy Area"}},
    {"rotateDisplayButton", {"Rotate Display"}},
    {"dimAreaButton", {"Dim Area"}},
    {"scrollControlButton", {"Scroll Control"}},
    {"writeCommandButton", {"Write Command"}},
    {"showBitmapButton", {"Get Filename and Origin"}},
    {"showImageButton", {"Get Filename and Origin"}},
    {"slideshowButton", {"Display or Create Slideshow"}},
    {"printScreenButton", {"Get Filename"}},
    {"loadBinaryButton", {"Get Filename"}},
    {"yModemSessionButton", {"Start YModem Session"}},
    {"viewDirectoryButton", {"SD Card File Info:"}},
    {"openFileToWriteButton", {"Get Filename"}},
    {"writeToFileButton", {"Write to SD Data Entry"}},
    {"openFileToReadButton", {"Get Filename"}},
    {"readFromFileButton", {"Read bytes from SD Card", "SD Card File Info:"}},
    {"eraseFileButton", {"Get Filename"}},
};

// Answers every file-open request with one path while the object lives.
class OpenFileAnswer {
public:
    explicit OpenFileAnswer(const QString& path)
    {
        m_previous = UiSeam::setOpenFileNameHandler(
            [path](QWidget*, const QString&, const QString&, const QString&) { return path; });
    }
    ~OpenFileAnswer() { UiSeam::setOpenFileNameHandler(std::move(m_previous)); }
    OpenFileAnswer(const OpenFileAnswer&) = delete;
    OpenFileAnswer& operator=(const OpenFileAnswer&) = delete;

private:
    UiSeam::FileNameHandler m_previous;
};

// Sets the application font for the lifetime of the object.
class ApplicationFont {
public:
    explicit ApplicationFont(double scale)
        : m_previous(QApplication::font())
    {
        QFont font = m_previous;
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * scale);
        else
            font.setPixelSize(qRound(font.pixelSize() * scale));
        QApplication::setFont(font);
    }
    ~ApplicationFont() { QApplication::setFont(m_previous); }

private:
    QFont m_previous;
};

} // namespace

class TestEveryDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void controlsAreClearAndReachable_data()
    {
        QTest::addColumn<QString>("screenName");
        QTest::addColumn<double>("fontScale");
        QTest::newRow("853x533") << QStringLiteral("small-150") << 1.0;
        QTest::newRow("911x512") << QStringLiteral("laptop-150") << 1.0;
        QTest::newRow("853x533, font x1.5") << QStringLiteral("small-150") << 1.5;
    }

    // Every dialog, also Display Image after it has shown a large picture's
    // size, and the panel itself, on the small screens of laptops scaled to
    // 150 %.
    void controlsAreClearAndReachable()
    {
        QFETCH(QString, screenName);
        QFETCH(double, fontScale);
        const ApplicationFont font(fontScale);
        QScreen* screen = ScreenNamed(screenName);
        QVERIFY(screen);
        const QString scale = QStringLiteral("%1, font x%2").arg(screen->availableGeometry().width()).arg(fontScale);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString bigPicture = QDir(folder.path()).filePath(QStringLiteral("big.png"));
        QImage big(4096, 2304, QImage::Format_RGB32);
        big.fill(qRgb(40, 90, 160));
        QVERIFY(big.save(bigPicture));

        UiSeamRecorder seam;
        const OpenFileAnswer openFile(bigPicture);
        PanelOptions options;
        options.portName = EmulatorPortName();
        options.showEmulatorWindow = false;
        CTavrelDlg panel(options);
        panel.emulator().setCardDirectory(folder.path());
        panel.setScreen(screen);
        panel.move(screen->availableGeometry().topLeft());
        panel.show();
        QTRY_VERIFY(screen->availableGeometry().contains(panel.frameGeometry()));
        QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("openPortButton")), Qt::LeftButton);

        QStringList faults;
        Inspect(&panel, scale, faults);

        for (const Opening& opening : kOpenings) {
            ModalDriver driver;
            for (int i = 0; i < opening.titles.size(); ++i) {
                const bool last = i + 1 == opening.titles.size();
                driver.expect(opening.titles.at(i), [&, last](QWidget* dialog) {
                    Inspect(dialog, scale, faults);
                    if (dialog->windowTitle() == QLatin1String("Display Image")) {
                        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("openPictureButton")),
                                          Qt::LeftButton);
                        Inspect(dialog, scale + QStringLiteral(", after opening a 4096x2304 picture"), faults);
                    }
                    if (last)
                        ModalDriver::pressEscape(dialog);
                    else
                        ModalDriver::clickOk(dialog);
                });
            }
            auto* button = panel.findChild<QPushButton*>(QString::fromLatin1(opening.button));
            QVERIFY2(button, opening.button);
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY2(driver.done(), qPrintable(QStringLiteral("%1: %2").arg(
                                        QString::fromLatin1(opening.button), driver.problems().join("; "))));
        }

        ModalDriver about;
        about.expect(QStringLiteral("About Tavrel"), [&](QWidget* dialog) {
            Inspect(dialog, scale, faults);
            ModalDriver::clickOk(dialog);
        });
        panel.showAbout();
        QVERIFY2(about.done(), qPrintable(about.problems().join("; ")));

        // The windows beside the panel (no dialogs: Enter means nothing there).
        panel.showTrafficHistory();
        panel.showHelp(QStringLiteral("Scripts"));
        for (QWidget* window : {static_cast<QWidget*>(panel.trafficWindow()), static_cast<QWidget*>(panel.helpWindow())}) {
            const QString title = QStringLiteral("\"%1\" (%2)").arg(window->windowTitle(), scale);
            CheckOverlaps(title, window, faults);
            CheckOnScreen(title, window, faults);
        }

        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN_ON_SCREENS(TestEveryDialog, {"small-150", 1280, 800, 1.5}, {"laptop-150", 1366, 768, 1.5})
#include "tst_every_dialog.moc"

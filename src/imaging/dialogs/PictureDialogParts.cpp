// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/dialogs/PictureDialogParts.h"

#include "imaging/PictureConversion.h"
#include "imaging/PixelFormats.h"
#include "imaging/PixelQuantiser.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

// The placeholder lives in the GUI library's resources; a static library
// needs them registered by name before the first use.
static void InitPictureResources()
{
    Q_INIT_RESOURCE(tavrel);
}

namespace tavrel {

void IdentifyControl(QWidget* widget, const char* objectName, int controlId)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setProperty("controlId", controlId);
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* objectName, int controlId)
{
    auto* button = new QPushButton(caption, parent);
    IdentifyControl(button, objectName, controlId);
    // Enter stays with the dialog's default button.
    button->setAutoDefault(false);
    return button;
}

QString PicturesFilter()
{
    // Every name the formats read here go by, in lower and upper case: the
    // file dialogs of Linux desktops match names case-sensitively, and
    // cameras and scanners write upper-case names.
    static const char* const kSuffixes[] = {"png", "jpg",  "jpeg", "jpe", "jfif", "bmp", "dib", "gif", "webp",
                                            "tif", "tiff", "svg",  "pbm", "pgm",  "ppm", "pnm"};
    QStringList patterns;
    for (const char* suffix : kSuffixes)
        patterns << QStringLiteral("*.") + QLatin1String(suffix);
    for (const char* suffix : kSuffixes)
        patterns << QStringLiteral("*.") + QString::fromLatin1(suffix).toUpper();
    return QStringLiteral("Pictures (%1);;All Files (*)").arg(patterns.join(QLatin1Char(' ')));
}

QImage LoadPlaceholderPicture()
{
    InitPictureResources();
    QImage picture(QStringLiteral(":/placeholder.png"));
    if (picture.isNull()) {
        // Never expected; a plain grey picture keeps every operation working.
        picture = QImage(kPictureMaxWidth, kPictureMaxHeight, QImage::Format_RGB888);
        picture.fill(Qt::gray);
    }
    return OpaqueRgb888(picture);
}

QLabel* MakePicturePreview(QWidget* parent, const char* objectName, int controlId)
{
    auto* preview = new QLabel(parent);
    IdentifyControl(preview, objectName, controlId);
    preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    preview->setFixedSize(0, 0);
    return preview;
}

QWidget* PreviewFrame(QWidget* parent, QLabel* preview)
{
    auto* frame = new QWidget(parent);
    frame->setFixedSize(kPictureMaxWidth + 2, kPictureMaxHeight + 2);
    preview->setParent(frame);
    preview->move(1, 1);
    return frame;
}

void SetPreviewPicture(QLabel* preview, const QImage& picture)
{
    if (picture.isNull()) {
        preview->clear();
        preview->setFixedSize(0, 0);
        return;
    }
    preview->setPixmap(QPixmap::fromImage(picture));
    preview->setFixedSize(picture.size());
}

ResizeControls MakeResizeGroup(QWidget* parent)
{
    ResizeControls c;
    c.group = new QGroupBox(QObject::tr("Resizing Option"), parent);
    c.group->setObjectName(QStringLiteral("resizingOptionGroup"));
    c.noResize = new QRadioButton(QObject::tr("No Resize"), c.group);
    IdentifyControl(c.noResize, "noResizeRadio", 1031);
    c.maximize = new QRadioButton(QObject::tr("Maximize"), c.group);
    IdentifyControl(c.maximize, "maximizeRadio", 1032);
    c.resizeTo = new QRadioButton(QObject::tr("Resize to:"), c.group);
    IdentifyControl(c.resizeTo, "resizeToRadio", 1033);
    c.width = new QLineEdit(c.group);
    IdentifyControl(c.width, "widthEdit", 1014);
    c.height = new QLineEdit(c.group);
    IdentifyControl(c.height, "heightEdit", 1015);
    auto* widthLabel = new QLabel(QObject::tr("Width:"), c.group);
    widthLabel->setBuddy(c.width);
    auto* heightLabel = new QLabel(QObject::tr("Height:"), c.group);
    heightLabel->setBuddy(c.height);
    auto* buttons = new QButtonGroup(c.group);
    buttons->addButton(c.noResize);
    buttons->addButton(c.maximize);
    buttons->addButton(c.resizeTo);

    auto* grid = new QGridLayout(c.group);
    grid->addWidget(c.noResize, 0, 0, 1, 2);
    grid->addWidget(c.maximize, 1, 0, 1, 2);
    grid->addWidget(c.resizeTo, 2, 0, 1, 2);
    grid->addWidget(widthLabel, 3, 0);
    grid->addWidget(c.width, 3, 1);
    grid->addWidget(heightLabel, 4, 0);
    grid->addWidget(c.height, 4, 1);
    return c;
}

ResizeRule ResizeRuleOf(int choice, int width, int height)
{
    ResizeRule r;
    r.mode = choice == 1 ? ResizeMode::Maximize : choice == 2 ? ResizeMode::ResizeTo : ResizeMode::NoResize;
    r.width = width;
    r.height = height;
    return r;
}

DepthControls MakeDepthGroup(QWidget* parent)
{
    DepthControls c;
    c.group = new QGroupBox(QObject::tr("Bit Depth"), parent);
    c.group->setObjectName(QStringLiteral("bitDepthGroup"));
    c.depth16 = new QRadioButton(QObject::tr("16-bit"), c.group);
    IdentifyControl(c.depth16, "depth16Radio", 1034);
    c.depth8 = new QRadioButton(QObject::tr("8-bit"), c.group);
    IdentifyControl(c.depth8, "depth8Radio", 1035);
    auto* buttons = new QButtonGroup(c.group);
    buttons->addButton(c.depth16);
    buttons->addButton(c.depth8);
    c.dither = new QCheckBox(QObject::tr("Dither"), c.group);
    IdentifyControl(c.dither, "ditherCheck", 1060);
    c.dither->setToolTip(QObject::tr("Spread each pixel's colour error over its neighbours (Floyd-Steinberg) "
                                     "instead of cutting the low bits off"));
    auto* box = new QHBoxLayout(c.group);
    box->addWidget(c.depth16);
    box->addWidget(c.depth8);
    box->addWidget(c.dither);
    return c;
}

QCheckBox* MakeShowAsModuleCheck(QWidget* parent)
{
    auto* check = new QCheckBox(QObject::tr("Show as on the module"), parent);
    IdentifyControl(check, "showAsModuleCheck", 1061);
    return check;
}

QImage PreviewOf(const QImage& converted, bool asModule, const PixelEncoding& encoding)
{
    return asModule ? ModuleView(converted, encoding) : converted;
}

void ChainTabOrder(const QList<QWidget*>& widgets)
{
    for (int i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets.at(i - 1), widgets.at(i));
}

void AddBesideOk(QDialog* dialog, QPushButton* ok, QPushButton* button)
{
    auto* outer = qobject_cast<QBoxLayout*>(dialog->layout());
    if (outer) {
        for (int i = 0; i < outer->count(); ++i) {
            auto* row = qobject_cast<QBoxLayout*>(outer->itemAt(i)->layout());
            if (row && row->indexOf(ok) >= 0) {
                row->insertWidget(row->indexOf(ok) + 1, button);
                return;
            }
        }
    }
    // A dialog without that row still gets the button.
    button->setParent(dialog);
}

} // namespace tavrel

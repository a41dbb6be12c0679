// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/dialogs/CSlideShowDialog.h"

#include "widgets/UiSeam.h"
#include "imaging/ImageFiles.h"
#include "imaging/PictureFile.h"
#include "imaging/PixelFormats.h"
#include "imaging/SlideshowBuilder.h"
#include "imaging/dialogs/IntegerEntry.h"
#include "imaging/dialogs/PictureDialogParts.h"
#include "imaging/dialogs/PictureDrops.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tavrel {

namespace {

QLineEdit* AddEdit(QWidget* parent, const char* objectName, int controlId)
{
    auto* edit = new QLineEdit(parent);
    IdentifyControl(edit, objectName, controlId);
    return edit;
}

} // namespace

CSlideShowDialog::CSlideShowDialog(QWidget* parent)
    : CParameterDialog(tr("Display or Create Slideshow"), QSize(340, 294), parent)
{
    QGridLayout* grid = form();

    // Upper group: the Slideshow command.
    auto* show = new QGroupBox(tr("Display Slideshow from file on SD card"), this);
    show->setObjectName(QStringLiteral("displaySlideshowGroup"));
    m_fileNameEdit = AddEdit(show, "fileNameEdit", 1018);
    m_xEdit = AddEdit(show, "xEdit", 1011);
    m_yEdit = AddEdit(show, "yEdit", 1012);
    m_delayEdit = AddEdit(show, "delayEdit", 1051);
    for (QLineEdit* number : {m_xEdit, m_yEdit, m_delayEdit})
        number->setMaximumWidth(90);
    auto* nameLabel = new QLabel(tr("Enter Filename (in DOS, 8.3 format):"), show);
    nameLabel->setBuddy(m_fileNameEdit);
    auto* xLabel = new QLabel(tr("X:"), show);
    xLabel->setBuddy(m_xEdit);
    auto* yLabel = new QLabel(tr("Y:"), show);
    yLabel->setBuddy(m_yEdit);
    auto* delayLabel = new QLabel(tr("Enter delay between images in milliseconds:"), show);
    delayLabel->setBuddy(m_delayEdit);
    auto* upper = new QGridLayout(show);
    upper->addWidget(nameLabel, 0, 0, 1, 4);
    upper->addWidget(m_fileNameEdit, 1, 0, 1, 4);
    upper->addWidget(new QLabel(tr("Display at:"), show), 2, 0, 1, 4);
    upper->addWidget(xLabel, 3, 0);
    upper->addWidget(m_xEdit, 3, 1);
    upper->addWidget(yLabel, 3, 2);
    upper->addWidget(m_yEdit, 3, 3);
    upper->addWidget(delayLabel, 4, 0, 1, 3);
    upper->addWidget(m_delayEdit, 4, 3);
    upper->setColumnStretch(4, 1);
    grid->addWidget(show, 0, 0, 1, 2);

    // Lower group: the builder.
    auto* create = new QGroupBox(tr("Create Slideshow "), this);
    create->setObjectName(QStringLiteral("createSlideshowGroup"));
    m_pictureList = new QListWidget(create);
    IdentifyControl(m_pictureList, "pictureList", 1045);
    m_pictureList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pictureList->setMinimumWidth(260);
    auto* add = MakeButton(create, tr("Add Pictures to List"), "addPicturesButton", 1046);
    auto* remove = MakeButton(create, tr("Remove Selected Picture"), "removeSelectedButton", 1047);
    auto* clear = MakeButton(create, tr("Clear List"), "clearListButton", 1049);
    auto* save = MakeButton(create, tr("Save Slideshow Data"), "saveSlideshowButton", 1048);
    const ResizeControls resize = MakeResizeGroup(create);
    m_resizeRadios[0] = resize.noResize;
    m_resizeRadios[1] = resize.maximize;
    m_resizeRadios[2] = resize.resizeTo;
    m_widthEdit = resize.width;
    m_heightEdit = resize.height;
    const DepthControls depth = MakeDepthGroup(create);
    m_depthRadios[0] = depth.depth16;
    m_depthRadios[1] = depth.depth8;
    m_ditherCheck = depth.dither;
    m_slidePreview = MakePicturePreview(create, "slidePreview", 1050);
    m_showAsModuleCheck = MakeShowAsModuleCheck(create);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    buttons->addWidget(save);
    auto* top = new QHBoxLayout;
    top->addWidget(m_pictureList, 1);
    top->addLayout(buttons);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(resize.group);
    auto* depthAndPreview = new QVBoxLayout;
    depthAndPreview->addWidget(depth.group);
    depthAndPreview->addWidget(PreviewFrame(create, m_slidePreview));
    depthAndPreview->addWidget(m_showAsModuleCheck);
    depthAndPreview->addStretch(1);
    bottom->addLayout(depthAndPreview);
    bottom->addStretch(1);
    auto* lower = new QVBoxLayout(create);
    lower->addLayout(top, 1);
    lower->addLayout(bottom);
    grid->addWidget(create, 1, 0, 1, 2);
    grid->setRowStretch(1, 1);

    m_tabOrder = {m_fileNameEdit, m_xEdit, m_yEdit, m_delayEdit, m_pictureList, add, remove, clear, save,
                  m_resizeRadios[0], m_resizeRadios[1], m_resizeRadios[2], m_widthEdit, m_heightEdit,
                  m_depthRadios[0], m_depthRadios[1], m_ditherCheck, m_showAsModuleCheck, okButton()};

    connect(add, &QPushButton::clicked, this, &CSlideShowDialog::OnAddPictures);
    connect(remove, &QPushButton::clicked, this, &CSlideShowDialog::OnRemoveSelected);
    connect(clear, &QPushButton::clicked, this, &CSlideShowDialog::OnClearList);
    connect(save, &QPushButton::clicked, this, &CSlideShowDialog::OnSaveSlideshow);
    // The depth and "Dither" are read when a file is saved; only the
    // preview of the module's view follows them at once.
    for (QAbstractButton* control : {static_cast<QAbstractButton*>(m_depthRadios[1]),
                                     static_cast<QAbstractButton*>(m_ditherCheck),
                                     static_cast<QAbstractButton*>(m_showAsModuleCheck)})
        connect(control, &QAbstractButton::toggled, this, &CSlideShowDialog::updateSlidePreview);
    setAcceptDrops(true);
    // The picture previewed is the selected one, converted as the resizing
    // controls say at the moment.
    connect(m_pictureList, &QListWidget::currentRowChanged, this, &CSlideShowDialog::previewSelectedPicture);
    for (QRadioButton* radio : m_resizeRadios)
        connect(radio, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                previewSelectedPicture();
        });
    for (QLineEdit* size : {m_widthEdit, m_heightEdit})
        connect(size, &QLineEdit::textEdited, this, &CSlideShowDialog::previewSelectedPicture);
}

void CSlideShowDialog::previewSelectedPicture()
{
    const int row = m_pictureList->currentRow();
    const QString path = pictures().value(row >= 0 ? row : 0);
    int choice = 0;
    for (int i = 0; i < 3; ++i)
        if (m_resizeRadios[i]->isChecked())
            choice = i;
    // A size that is not one yet leaves the last one in force.
    int width = m_resizeWidth;
    int height = m_resizeHeight;
    ReadIntegerEntry(m_widthEdit, 1, kPictureMaxWidth, width);
    ReadIntegerEntry(m_heightEdit, 1, kPictureMaxHeight, height);
    m_slidePicture = QImage();
    if (!path.isEmpty() && !ReadConvertedPicture(path, ResizeRuleOf(choice, width, height), m_slidePicture))
        m_slidePicture = QImage();
    updateSlidePreview();
}

void CSlideShowDialog::updateSlidePreview()
{
    const PixelEncoding encoding(m_depthRadios[1]->isChecked() ? kDepth8 : kDepth16,
                                 m_ditherCheck->isChecked() ? Dithering::FloydSteinberg : Dithering::Off);
    SetPreviewPicture(m_slidePreview, PreviewOf(m_slidePicture, m_showAsModuleCheck->isChecked(), encoding));
}

ResizeRule CSlideShowDialog::rule() const
{
    return ResizeRuleOf(m_resizeRadio, m_resizeWidth, m_resizeHeight);
}

void CSlideShowDialog::push()
{
    m_fileNameEdit->setText(m_fileName);
    m_xEdit->setText(m_x);
    m_yEdit->setText(m_y);
    m_delayEdit->setText(m_delay);
    m_resizeRadios[qBound(0, m_resizeRadio, 2)]->setChecked(true);
    m_depthRadios[m_depthRadio == 1 ? 1 : 0]->setChecked(true);
    m_ditherCheck->setChecked(m_dither);
    m_widthEdit->setText(QString::number(m_resizeWidth));
    m_heightEdit->setText(QString::number(m_resizeHeight));
}

bool CSlideShowDialog::commit()
{
    m_fileName = m_fileNameEdit->text();
    m_x = m_xEdit->text();
    m_y = m_yEdit->text();
    m_delay = m_delayEdit->text();
    for (int i = 0; i < 3; ++i)
        if (m_resizeRadios[i]->isChecked())
            m_resizeRadio = i;
    m_depthRadio = m_depthRadios[1]->isChecked() ? 1 : 0;
    m_dither = m_ditherCheck->isChecked();
    return CommitIntegerEntry(this, m_widthEdit, 1, kPictureMaxWidth, m_resizeWidth)
        && CommitIntegerEntry(this, m_heightEdit, 1, kPictureMaxHeight, m_resizeHeight);
}

void CSlideShowDialog::showEvent(QShowEvent* event)
{
    CParameterDialog::showEvent(event);
    if (!m_tabOrderSet) {
        m_tabOrderSet = true;
        ChainTabOrder(m_tabOrder);
        m_fileNameEdit->setFocus(Qt::OtherFocusReason);
    }
}

void CSlideShowDialog::dragEnterEvent(QDragEnterEvent* event)
{
    AcceptFileDrag(event);
}

void CSlideShowDialog::dragMoveEvent(QDragMoveEvent* event)
{
    AcceptFileDrag(event);
}

void CSlideShowDialog::dropEvent(QDropEvent* event)
{
    const QStringList paths = AcceptFileDrag(event);
    if (paths.isEmpty())
        return;
    addPictures(paths);
}

QStringList CSlideShowDialog::pictures() const
{
    QStringList paths;
    for (int i = 0; i < m_pictureList->count(); ++i)
        paths << m_pictureList->item(i)->data(Qt::UserRole).toString();
    return paths;
}

void CSlideShowDialog::addPictures(const QStringList& paths)
{
    for (const QString& path : paths) {
        const int index = SortedInsertIndex(pictures(), path);
        auto* item = new QListWidgetItem(QDir::toNativeSeparators(path));
        item->setData(Qt::UserRole, path);
        m_pictureList->insertItem(index, item);
    }
    previewSelectedPicture();
}

void CSlideShowDialog::OnAddPictures()
{
    const QStringList chosen = UiSeam::getOpenFileNames(this, tr("Open"), QString(), PicturesFilter());
    addPictures(chosen);
}

void CSlideShowDialog::OnRemoveSelected()
{
    const QList<QListWidgetItem*> selected = m_pictureList->selectedItems();
    if (selected.isEmpty())
        return;
    delete m_pictureList->takeItem(m_pictureList->row(selected.first()));
    previewSelectedPicture();
}

void CSlideShowDialog::OnClearList()
{
    m_pictureList->clear();
    previewSelectedPicture();
}

void CSlideShowDialog::OnSaveSlideshow()
{
    // An entry outside the panel would make frames that do not fit; the
    // message has been shown and nothing is saved.
    if (!commit())
        return;
    const QString chosen = UiSeam::getSaveFileName(this, tr("Save As"), QString(),
                                                   QStringLiteral("Oled Slideshow Data (*.dat);;All Files (*)"));
    if (chosen.isEmpty())
        return;
    // Building can take a while; the dialog does not respond meanwhile.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SlideshowSaveHooks hooks;
    hooks.message = [this](const QString& text) {
        QApplication::restoreOverrideCursor();
        UiSeam::showMessage(this, text, PictureMessageCaption());
        QApplication::setOverrideCursor(Qt::WaitCursor);
    };
    hooks.preview = [this](int, const QImage& picture) {
        m_slidePicture = picture;
        updateSlidePreview();
        m_slidePreview->repaint();
    };
    const PixelEncoding encoding(m_depthRadio == 1 ? kDepth8 : kDepth16,
                                 m_dither ? Dithering::FloydSteinberg : Dithering::Off);
    const SaveResult result = BuildSlideshowFile(WithDefaultSuffix(chosen, QStringLiteral("dat")), pictures(), rule(),
                                                 encoding, hooks);
    QApplication::restoreOverrideCursor();
    UiSeam::showMessage(this, SaveResultText(result), PictureMessageCaption());
}

} // namespace tavrel

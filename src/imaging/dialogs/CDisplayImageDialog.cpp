// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/dialogs/CDisplayImageDialog.h"

#include "widgets/UiSeam.h"
#include "imaging/ImageFiles.h"
#include "imaging/PictureFile.h"
#include "imaging/PixelFormats.h"
#include "imaging/dialogs/IntegerEntry.h"
#include "imaging/dialogs/PictureDialogParts.h"
#include "imaging/dialogs/PictureDrops.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tavrel {

CDisplayImageDialog::CDisplayImageDialog(QWidget* parent)
    : CParameterDialog(tr("Display Image"), QSize(249, 180), parent)
{
    QGridLayout* grid = form();

    m_xEdit = addLineEdit(tr("X:"), QStringLiteral("xEdit"), 1011);
    m_yEdit = addLineEdit(tr("Y:"), QStringLiteral("yEdit"), 1012);
    // The hint stands beside X; the source size gets the row under Y, and
    // the buttons, preview and options the row under that. Rows are taken
    // from where the entries landed, so that nothing shares a row with Y.
    const auto rowOf = [grid](QWidget* widget) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(grid->indexOf(widget), &row, &column, &rowSpan, &columnSpan);
        return row;
    };
    const int xRow = rowOf(m_xEdit);
    const int sizeRow = rowOf(m_yEdit) + 1;
    const int mainRow = sizeRow + 1;

    auto* hint = new QLabel(tr("Displays an image at given coordinates.  "), this);
    hint->setObjectName(QStringLiteral("hintLabel"));
    grid->addWidget(hint, xRow, 2, 1, 2);

    m_sourceSizeLabel = new QLabel(this);
    IdentifyControl(m_sourceSizeLabel, "sourceSizeLabel", 1036);
    grid->addWidget(m_sourceSizeLabel, sizeRow, 0, 1, 4);

    auto* buttons = new QVBoxLayout;
    auto* open = MakeButton(this, tr("Open Picture"), "openPictureButton", 1003);
    auto* saveBmp = MakeButton(this, tr("Save BMP"), "saveBmpButton", 1002);
    auto* saveData = MakeButton(this, tr("Save Data"), "saveDataButton", 1004);
    buttons->addWidget(open);
    buttons->addWidget(saveBmp);
    buttons->addWidget(saveData);
    buttons->addStretch(1);
    grid->addLayout(buttons, mainRow, 0, 1, 2);

    auto* previewColumn = new QVBoxLayout;
    auto* previewLabel = new QLabel(tr("Preview:"), this);
    previewLabel->setObjectName(QStringLiteral("previewLabel"));
    previewColumn->addWidget(previewLabel);
    m_preview = MakePicturePreview(this, "preview", 1001);
    previewColumn->addWidget(PreviewFrame(this, m_preview));
    m_showAsModuleCheck = MakeShowAsModuleCheck(this);
    previewColumn->addWidget(m_showAsModuleCheck);
    previewColumn->addStretch(1);
    grid->addLayout(previewColumn, mainRow, 2);

    auto* options = new QVBoxLayout;
    const ResizeControls resize = MakeResizeGroup(this);
    m_resizeRadios[0] = resize.noResize;
    m_resizeRadios[1] = resize.maximize;
    m_resizeRadios[2] = resize.resizeTo;
    m_widthEdit = resize.width;
    m_heightEdit = resize.height;
    options->addWidget(resize.group);
    const DepthControls depth = MakeDepthGroup(this);
    m_depth16Radio = depth.depth16;
    m_depth8Radio = depth.depth8;
    m_ditherCheck = depth.dither;
    options->addWidget(depth.group);
    options->addStretch(1);
    grid->addLayout(options, mainRow, 3);

    auto* done = MakeButton(this, tr("Done"), "doneButton", 2);
    AddBesideOk(this, okButton(), done);
    m_tabOrder = {m_xEdit, m_yEdit, open, saveBmp, saveData, m_showAsModuleCheck, m_resizeRadios[0],
                  m_resizeRadios[1], m_resizeRadios[2], m_widthEdit, m_heightEdit, m_depth16Radio, m_depth8Radio,
                  m_ditherCheck, okButton(), done};

    connect(open, &QPushButton::clicked, this, &CDisplayImageDialog::OnOpenPicture);
    connect(saveBmp, &QPushButton::clicked, this, &CDisplayImageDialog::OnSaveBmp);
    connect(saveData, &QPushButton::clicked, this, &CDisplayImageDialog::OnSaveData);
    connect(done, &QPushButton::clicked, this, &CDisplayImageDialog::reject);
    for (int i = 0; i < 3; ++i)
        connect(m_resizeRadios[i], &QRadioButton::clicked, this, [this, i] { OnResizeOption(i + 1); });
    connect(m_widthEdit, &QLineEdit::textEdited, this, &CDisplayImageDialog::OnResizeTyped);
    connect(m_heightEdit, &QLineEdit::textEdited, this, &CDisplayImageDialog::OnResizeTyped);
    connect(m_depth16Radio, &QRadioButton::clicked, this, [this] { OnBitDepth(16); });
    connect(m_depth8Radio, &QRadioButton::clicked, this, [this] { OnBitDepth(8); });
    connect(m_ditherCheck, &QCheckBox::clicked, this, &CDisplayImageDialog::OnDither);
    connect(m_showAsModuleCheck, &QCheckBox::clicked, this, &CDisplayImageDialog::OnShowAsModule);

    showPreview(placeholderPicture());

    setAcceptDrops(true);
    auto* paste = new QShortcut(QKeySequence::Paste, this);
    connect(paste, &QShortcut::activated, this, &CDisplayImageDialog::OnPastePicture);
    // The entries paste text; a picture on the clipboard goes to the dialog.
    // A file dropped onto an entry goes to the dialog too.
    for (QLineEdit* edit : {m_xEdit, m_yEdit, m_widthEdit, m_heightEdit}) {
        edit->installEventFilter(this);
        edit->setAcceptDrops(false);
    }
    m_openOnShow = TakePictureToOpen();
}

QImage CDisplayImageDialog::placeholderPicture()
{
    return LoadPlaceholderPicture();
}

ResizeRule CDisplayImageDialog::rule() const
{
    // The mode counts from 1.
    return ResizeRuleOf(m_resizeMode - 1, m_resizeWidth, m_resizeHeight);
}

void CDisplayImageDialog::push()
{
    m_xEdit->setText(m_x);
    m_yEdit->setText(m_y);
    m_widthEdit->setText(QString::number(m_resizeWidth));
    m_heightEdit->setText(QString::number(m_resizeHeight));
    m_sourceSizeLabel->setText(m_sourceSizeText);
    const int mode = qBound(1, m_resizeMode, 3);
    m_resizeRadios[mode - 1]->setChecked(true);
    (m_bitDepth == 8 ? m_depth8Radio : m_depth16Radio)->setChecked(true);
    m_ditherCheck->setChecked(m_dither);
    m_showAsModuleCheck->setChecked(m_showAsModule);
}

PixelEncoding CDisplayImageDialog::encoding() const
{
    return PixelEncoding(m_bitDepth == 8 ? kDepth8 : kDepth16, m_dither ? Dithering::FloydSteinberg : Dithering::Off);
}

bool CDisplayImageDialog::commit()
{
    m_x = m_xEdit->text();
    m_y = m_yEdit->text();
    return CommitIntegerEntry(this, m_widthEdit, 1, kPictureMaxWidth, m_resizeWidth)
        && CommitIntegerEntry(this, m_heightEdit, 1, kPictureMaxHeight, m_resizeHeight);
}

void CDisplayImageDialog::showEvent(QShowEvent* event)
{
    CParameterDialog::showEvent(event);
    if (!m_tabOrderSet) {
        m_tabOrderSet = true;
        ChainTabOrder(m_tabOrder);
        m_xEdit->setFocus(Qt::OtherFocusReason);
    }
    if (!m_openOnShow.isEmpty()) {
        // Once the dialog is on screen, so that a message about the
        // picture stands over it.
        QTimer::singleShot(0, this, [this, path = m_openOnShow] { openPicture(path); });
        m_openOnShow.clear();
    }
}

void CDisplayImageDialog::dragEnterEvent(QDragEnterEvent* event)
{
    AcceptFileDrag(event);
}

void CDisplayImageDialog::dragMoveEvent(QDragMoveEvent* event)
{
    AcceptFileDrag(event);
}

void CDisplayImageDialog::dropEvent(QDropEvent* event)
{
    const QStringList paths = AcceptFileDrag(event);
    if (paths.isEmpty())
        return;
    // After the drop has ended: a message box must not keep the program the
    // file came from waiting.
    QTimer::singleShot(0, this, [this, path = paths.first()] { openPicture(path); });
}

bool CDisplayImageDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
        const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
        // Left unaccepted, the key goes on to the dialog's paste.
        if (HoldsPicture(clipboard) && !clipboard->hasText())
            return true;
    }
    return CParameterDialog::eventFilter(watched, event);
}

void CDisplayImageDialog::OnPastePicture()
{
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    if (!HoldsPicture(clipboard)) {
        UiSeam::showMessage(this, tr("The clipboard holds no picture to paste."), PictureMessageCaption());
        return;
    }
    const QStringList files = DroppedFilePaths(clipboard);
    if (!files.isEmpty()) {
        // A file copied in a file manager: opened as a file.
        openPicture(files.first());
        return;
    }
    QImage picture;
    QString path;
    const PictureReadResult read = PastedPicture(clipboard, picture, path);
    if (!read) {
        UiSeam::showMessage(this, PictureReadFailureText(read), PictureMessageCaption());
        return;
    }
    takePicture(picture);
}

void CDisplayImageDialog::takePicture(const QImage& picture)
{
    commitOrRevert();
    m_source = picture;
    m_sourceIsFile = false;
    refreshPreview();
    m_sourceSizeText = QStringLiteral("Source Size:  %1x%2 pixels").arg(m_source.width()).arg(m_source.height());
    push();
}

void CDisplayImageDialog::commitOrRevert()
{
    if (!commit())
        push();
}

void CDisplayImageDialog::showPreview(const QImage& picture)
{
    m_previewPicture = picture;
    updatePreviewView();
}

void CDisplayImageDialog::updatePreviewView()
{
    SetPreviewPicture(m_preview, PreviewOf(m_previewPicture, m_showAsModule, encoding()));
}

bool CDisplayImageDialog::sourceIsUnchangedFile() const
{
    if (!m_sourceIsFile)
        return false;
    const QFileInfo info(m_lastPath);
    return info.exists() && info.size() == m_sourceFileSize && info.lastModified() == m_sourceModified;
}

void CDisplayImageDialog::refreshPreview()
{
    commitOrRevert();
    convertSource();
    push();
    update();
}

void CDisplayImageDialog::convertSource()
{
    if (m_source.isNull()) {
        m_source = m_previewPicture;
        m_sourceIsFile = false;
    }
    QImage converted;
    const bool fromFile =
        sourceIsUnchangedFile() && bool(ConvertPictureFile(m_lastPath, m_source, rule(), converted));
    if (!fromFile)
        converted = ConvertPicture(m_source, rule());
    showPreview(converted);
    m_previewFile = fromFile ? m_lastPath : QString();
    m_previewRule = rule();
}

void CDisplayImageDialog::OnOpenPicture()
{
    const QString path = UiSeam::getOpenFileName(this, tr("Open"), m_lastPath, PicturesFilter());
    if (path.isEmpty())
        return;
    openPicture(path);
}

void CDisplayImageDialog::openPicture(const QString& path)
{
    commitOrRevert();
    m_source = QImage();
    m_sourceIsFile = false;
    const PictureReadResult read = ReadPicture(path, m_source);
    if (!read) {
        UiSeam::showMessage(this, PictureReadFailureText(read), PictureMessageCaption());
        return;
    }
    const QFileInfo info(path);
    m_sourceIsFile = true;
    m_sourceFileSize = info.size();
    m_sourceModified = info.lastModified();
    m_lastPath = path;
    refreshPreview();
    m_sourceSizeText = QStringLiteral("Source Size:  %1x%2 pixels").arg(m_source.width()).arg(m_source.height());
    push();
}

void CDisplayImageDialog::OnResizeOption(int mode)
{
    commitOrRevert();
    m_resizeMode = qBound(1, mode, 3);
    push();
    refreshPreview();
}

void CDisplayImageDialog::OnResizeTyped()
{
    // An entry that is no size yet changes nothing; OK reports it.
    int width = 0;
    int height = 0;
    if (m_resizeMode != 3 || !ReadIntegerEntry(m_widthEdit, 1, kPictureMaxWidth, width)
        || !ReadIntegerEntry(m_heightEdit, 1, kPictureMaxHeight, height))
        return;
    const ResizeRule shown = m_previewRule;
    if (shown.mode == ResizeMode::ResizeTo && shown.width == width && shown.height == height)
        return;
    m_resizeWidth = width;
    m_resizeHeight = height;
    convertSource();
}

void CDisplayImageDialog::OnBitDepth(int depth)
{
    // The preview shows full colour unless it is to show the module's view;
    // the converted picture itself never changes with the depth.
    m_bitDepth = depth == 8 ? 8 : 16;
    updatePreviewView();
}

void CDisplayImageDialog::OnDither(bool on)
{
    m_dither = on;
    updatePreviewView();
}

void CDisplayImageDialog::OnShowAsModule(bool on)
{
    m_showAsModule = on;
    updatePreviewView();
}

QStringList CDisplayImageDialog::openedPicture() const
{
    return m_lastPath.isEmpty() ? QStringList() : QStringList{m_lastPath};
}

void CDisplayImageDialog::OnSaveData()
{
    commitOrRevert();
    const QImage picture = m_previewPicture;
    const PixelEncoding chosenEncoding = encoding();
    const QString chosen = UiSeam::getSaveFileName(this, tr("Save As"),
                                                   SaveNameBeside(m_lastPath, QStringLiteral("dat")),
                                                   QStringLiteral("Oled Image Data (*.dat);;All Files (*)"));
    if (chosen.isEmpty())
        return;
    const SaveResult result =
        SaveImageDataFile(WithDefaultSuffix(chosen, QStringLiteral("dat")), picture, chosenEncoding, openedPicture());
    UiSeam::showMessage(this, SaveResultText(result), PictureMessageCaption());
}

void CDisplayImageDialog::OnSaveBmp()
{
    if (m_source.isNull()) {
        m_source = m_previewPicture;
        m_sourceIsFile = false;
    }
    // The picture as opened: neither the resizing option nor the depth
    // applies. It is written as it is, without a 24-bit copy.
    const QString chosen = UiSeam::getSaveFileName(this, tr("Save As"),
                                                   SaveNameBeside(m_lastPath, QStringLiteral("bmp")),
                                                   QStringLiteral("Bitmap Picture (*.bmp);;All Files (*)"));
    if (chosen.isEmpty())
        return;
    const SaveResult result = SaveBmpFile(WithDefaultSuffix(chosen, QStringLiteral("bmp")), m_source, openedPicture());
    UiSeam::showMessage(this, SaveResultText(result), PictureMessageCaption());
}

void CDisplayImageDialog::accept()
{
    // From here on the source is the converted picture, also when an entry
    // refuses OK and the dialog stays open.
    m_source = m_previewPicture;
    m_sourceIsFile = false;
    CParameterDialog::accept();
}

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureConversion.h"
#include "imaging/PixelFormats.h"
#include "link/dialogs/CParameterDialog.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tavrel {

// "Display Image": opens a picture file, fits it to the panel by one of
// three resizing rules, shows the result in a preview and offers it to the
// Display Image command (OK), to an image data file (Save Data) or, as
// opened, to a BMP file (Save BMP). "Done" closes it without sending.
//
// Before any picture is opened the preview holds a 96 x 64 placeholder,
// which every operation treats like a converted picture.
class CDisplayImageDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CDisplayImageDialog(QWidget* parent = nullptr);

    // Set by the caller before exec().
    QString m_x;
    QString m_y;

    QString m_lastPath;
    QImage m_source;
    int m_resizeMode = 1;  // 1 No Resize, 2 Maximize, 3 Resize to:
    int m_resizeWidth = 96;
    int m_resizeHeight = 64;
    int m_bitDepth = 16;
    bool m_dither = false;        // "Dither": Floyd-Steinberg instead of truncation
    bool m_showAsModule = false;  // "Show as on the module": the preview at m_bitDepth
    QString m_sourceSizeText;

    // The picture the preview shows: the converted picture, or the
    // placeholder while nothing has been converted. What OK hands over.
    QImage convertedPicture() const { return m_previewPicture; }
    // The picture file that picture was converted from, as tavrel-cli
    // converts it, and by which rule; empty when it was not made straight
    // from a file (the placeholder, or a file changed since it was opened).
    QString convertedFile() const { return m_previewFile; }
    ResizeRule convertedRule() const { return m_previewRule; }
    // The depth and dithering chosen, for the data made from the picture.
    PixelEncoding encoding() const;
    static QImage placeholderPicture();

public slots:
    void accept() override;

    void OnOpenPicture();
    // Ctrl+V: the picture on the clipboard (a file copied in a file
    // manager, or picture data from a browser or screenshot tool) becomes
    // the source, as an opened picture does. A picture that is not a file
    // sends as usual but is recorded in a script only as a comment.
    void OnPastePicture();
    void OnSaveBmp();
    void OnSaveData();
    void OnResizeOption(int mode);
    // A size typed under "Resize to:": the preview follows each one that
    // fits the panel.
    void OnResizeTyped();
    void OnBitDepth(int depth);
    void OnDither(bool on);
    void OnShowAsModule(bool on);

protected:
    void push() override;
    bool commit() override;
    void showEvent(QShowEvent* event) override;
    // A picture file dropped onto the dialog opens as Open Picture opens it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Opens the picture file as Open Picture does once a file is chosen.
    void openPicture(const QString& path);
    // Makes `picture`, which is no file, the source.
    void takePicture(const QImage& picture);
    // Commits, and on a refused entry puts the last valid values back, so
    // that a conversion never sees a size outside the panel and the message
    // is shown once.
    void commitOrRevert();
    void refreshPreview();
    // Converts the source by the current rule into the preview.
    void convertSource();
    void showPreview(const QImage& picture);
    // Shows the converted picture in full colour or as the module shows it.
    void updatePreviewView();
    ResizeRule rule() const;
    bool sourceIsUnchangedFile() const;
    // The picture file last opened, which no save may replace.
    QStringList openedPicture() const;

    QImage m_previewPicture;
    QString m_previewFile;
    ResizeRule m_previewRule;
    // Whether m_source is still exactly the file at m_lastPath, as it was
    // when opened: conversions then decode it the way the slideshow builder
    // and tavrel-cli do, so that all give the same bytes.
    bool m_sourceIsFile = false;
    QDateTime m_sourceModified;
    qint64 m_sourceFileSize = -1;

    // A picture dropped onto the main window, opened once the dialog shows.
    QString m_openOnShow;
    bool m_tabOrderSet = false;
    QList<QWidget*> m_tabOrder;
    QLineEdit* m_xEdit = nullptr;
    QLineEdit* m_yEdit = nullptr;
    QLineEdit* m_widthEdit = nullptr;
    QLineEdit* m_heightEdit = nullptr;
    QLabel* m_sourceSizeLabel = nullptr;
    QLabel* m_preview = nullptr;
    QRadioButton* m_resizeRadios[3] = {};
    QRadioButton* m_depth16Radio = nullptr;
    QRadioButton* m_depth8Radio = nullptr;
    QCheckBox* m_ditherCheck = nullptr;
    QCheckBox* m_showAsModuleCheck = nullptr;
};

} // namespace tavrel

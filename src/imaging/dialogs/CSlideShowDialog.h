// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureConversion.h"
#include "link/dialogs/CParameterDialog.h"

#include <QImage>
#include <QString>
#include <QStringList>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace tavrel {

// "Display or Create Slideshow". The upper group asks for the Slideshow
// command's file name, position and delay; OK sends it. The lower group
// builds slideshow data files from a list of pictures kept sorted by full
// path without regard to case; building sends nothing.
class CSlideShowDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CSlideShowDialog(QWidget* parent = nullptr);

    // Upper group, set by the caller before exec().
    QString m_fileName;
    QString m_x;
    QString m_y;
    QString m_delay;

    // Lower group.
    int m_depthRadio = 0;   // 0 16-bit, 1 8-bit
    int m_resizeRadio = 0;  // 0 No Resize, 1 Maximize, 2 Resize to:
    int m_resizeWidth = 96;
    int m_resizeHeight = 64;
    bool m_dither = false;  // "Dither": Floyd-Steinberg instead of truncation

    // The list's entries in order.
    QStringList pictures() const;
    // Adds paths as "Add Pictures to List" does with the files chosen.
    void addPictures(const QStringList& paths);

public slots:
    void OnAddPictures();
    void OnRemoveSelected();
    void OnClearList();
    void OnSaveSlideshow();

protected:
    void push() override;
    bool commit() override;
    void showEvent(QShowEvent* event) override;
    // Picture files dropped onto the dialog join the list, as when they are
    // chosen with "Add Pictures to List".
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    ResizeRule rule() const;
    // The last converted picture, in full colour or as the module shows it
    // at the depth and dithering the controls show now.
    void updateSlidePreview();
    // Converts the selected picture (the first when none is) by the
    // resizing the controls show now, and previews it.
    void previewSelectedPicture();

    QImage m_slidePicture;
    bool m_tabOrderSet = false;
    QList<QWidget*> m_tabOrder;
    QLineEdit* m_fileNameEdit = nullptr;
    QLineEdit* m_xEdit = nullptr;
    QLineEdit* m_yEdit = nullptr;
    QLineEdit* m_delayEdit = nullptr;
    QListWidget* m_pictureList = nullptr;
    QLabel* m_slidePreview = nullptr;
    QLineEdit* m_widthEdit = nullptr;
    QLineEdit* m_heightEdit = nullptr;
    QRadioButton* m_resizeRadios[3] = {};
    QRadioButton* m_depthRadios[2] = {};
    QCheckBox* m_ditherCheck = nullptr;
    QCheckBox* m_showAsModuleCheck = nullptr;
};

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "imaging/PictureConversion.h"
#include "imaging/PixelFormats.h"

#include <QImage>
#include <QList>
#include <QString>

class QCheckBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tavrel {

// Pieces the two picture dialogs share.

// Object name and control id (the `controlId` property) of a control.
void IdentifyControl(QWidget* widget, const char* objectName, int controlId);
QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* objectName, int controlId);

// "Pictures (*.png *.jpg ...);;All Files (*)": every picture format read
// here, by each of its usual names in lower and upper case.
QString PicturesFilter();

// The 96 x 64 placeholder picture from the resources, as RGB888.
QImage LoadPlaceholderPicture();

// A picture control that takes the size of the picture it shows, and a frame
// that keeps room for the largest picture so the dialog does not jump.
QLabel* MakePicturePreview(QWidget* parent, const char* objectName, int controlId);
QWidget* PreviewFrame(QWidget* parent, QLabel* preview);
void SetPreviewPicture(QLabel* preview, const QImage& picture);

// "Resizing Option": "No Resize" (1031), "Maximize" (1032), "Resize to:"
// (1033) with "Width:" (1014) and "Height:" (1015).
struct ResizeControls {
    QGroupBox* group = nullptr;
    QRadioButton* noResize = nullptr;
    QRadioButton* maximize = nullptr;
    QRadioButton* resizeTo = nullptr;
    QLineEdit* width = nullptr;
    QLineEdit* height = nullptr;
};
ResizeControls MakeResizeGroup(QWidget* parent);
// The rule for the chosen resizing option, counted from 0 for "No Resize",
// with the width and height typed for "Resize to:".
ResizeRule ResizeRuleOf(int choice, int width, int height);

// "Bit Depth": "16-bit" (1034), "8-bit" (1035), and beside them the check
// box "Dither" (1060), off.
struct DepthControls {
    QGroupBox* group = nullptr;
    QRadioButton* depth16 = nullptr;
    QRadioButton* depth8 = nullptr;
    QCheckBox* dither = nullptr;
};
DepthControls MakeDepthGroup(QWidget* parent);

// "Show as on the module" (1061), off: the check box under a preview that
// switches it from the picture in full colour to the picture as the module
// shows it at the chosen depth.
QCheckBox* MakeShowAsModuleCheck(QWidget* parent);

// What a preview shows of a converted picture: the picture itself, or, when
// `asModule`, the module's view of it in that encoding (ModuleView()).
QImage PreviewOf(const QImage& converted, bool asModule, const PixelEncoding& encoding);

// Tab order through the widgets in the order given.
void ChainTabOrder(const QList<QWidget*>& widgets);

// Puts a button into the dialog's row of the OK button, after it.
void AddBesideOk(QDialog* dialog, QPushButton* ok, QPushButton* button);

} // namespace tavrel

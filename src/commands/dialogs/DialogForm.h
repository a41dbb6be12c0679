// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QCheckBox;
class QGridLayout;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace tavrel {

// Building blocks for the parameter dialogs of the drawing and display
// commands. Every control gets an objectName and its numeric id as the
// "controlId" property.

// A label and a single-line edit in a form grid: the label in column
// 2 * pair, the edit beside it, so that two points can share a row
// ("X1:" [  ]  "Y1:" [  ]).
QLineEdit* PlaceLineEdit(QWidget* owner, QGridLayout* grid, int row, int pair, const QString& label,
                         const QString& objectName, int controlId);

QRadioButton* MakeRadioButton(QWidget* parent, const QString& caption, const QString& objectName, int controlId);
QCheckBox* MakeCheckBox(QWidget* parent, const QString& caption, const QString& objectName, int controlId);

} // namespace tavrel

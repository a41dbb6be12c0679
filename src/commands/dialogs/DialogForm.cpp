// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/DialogForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace tavrel {

QLineEdit* PlaceLineEdit(QWidget* owner, QGridLayout* grid, int row, int pair, const QString& label,
                         const QString& objectName, int controlId)
{
    auto* edit = new QLineEdit(owner);
    edit->setObjectName(objectName);
    edit->setProperty("controlId", controlId);
    auto* caption = new QLabel(label, owner);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 2 * pair);
    grid->addWidget(edit, row, 2 * pair + 1);
    grid->setColumnStretch(2 * pair + 1, 1);
    return edit;
}

QRadioButton* MakeRadioButton(QWidget* parent, const QString& caption, const QString& objectName, int controlId)
{
    auto* radio = new QRadioButton(caption, parent);
    radio->setObjectName(objectName);
    radio->setProperty("controlId", controlId);
    return radio;
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& caption, const QString& objectName, int controlId)
{
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(objectName);
    check->setProperty("controlId", controlId);
    return check;
}

} // namespace tavrel

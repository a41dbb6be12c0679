// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/CDimAreaDialog.h"

#include "commands/dialogs/DialogForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tavrel {

CDimAreaDialog::CDimAreaDialog(QWidget* parent)
    : CParameterDialog(tr("Dim Area"), QSize(154, 102), parent)
{
    auto* source = new QLabel(tr("Source:"), this);
    source->setObjectName(QStringLiteral("sourceLabel"));
    form()->addWidget(source, 0, 0, 1, 4);
    m_xEdit = PlaceLineEdit(this, form(), 1, 0, tr("X:"), QStringLiteral("xEdit"), 1021);
    m_yEdit = PlaceLineEdit(this, form(), 1, 1, tr("Y:"), QStringLiteral("yEdit"), 1022);
    m_widthEdit = PlaceLineEdit(this, form(), 2, 0, tr("Width:"), QStringLiteral("widthEdit"), 1019);
    m_heightEdit = PlaceLineEdit(this, form(), 2, 1, tr("Height:"), QStringLiteral("heightEdit"), 1020);
}

void CDimAreaDialog::push()
{
    m_xEdit->setText(m_x);
    m_yEdit->setText(m_y);
    m_widthEdit->setText(m_width);
    m_heightEdit->setText(m_height);
}

bool CDimAreaDialog::commit()
{
    m_x = m_xEdit->text();
    m_y = m_yEdit->text();
    m_width = m_widthEdit->text();
    m_height = m_heightEdit->text();
    return true;
}

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/CCircleDialog.h"

#include "commands/dialogs/DialogForm.h"

#include <QLineEdit>

namespace tavrel {

CCircleDialog::CCircleDialog(QWidget* parent)
    : CParameterDialog(tr("Draw Circle"), QSize(152, 78), parent)
{
    m_xEdit = PlaceLineEdit(this, form(), 0, 0, tr("X:"), QStringLiteral("xEdit"), 1011);
    m_yEdit = PlaceLineEdit(this, form(), 1, 0, tr("Y:"), QStringLiteral("yEdit"), 1012);
    m_radiusEdit = PlaceLineEdit(this, form(), 2, 0, tr("Radius:"), QStringLiteral("radiusEdit"), 1014);
}

void CCircleDialog::push()
{
    m_xEdit->setText(m_x);
    m_yEdit->setText(m_y);
    m_radiusEdit->setText(m_radius);
}

bool CCircleDialog::commit()
{
    m_x = m_xEdit->text();
    m_y = m_yEdit->text();
    m_radius = m_radiusEdit->text();
    return true;
}

} // namespace tavrel

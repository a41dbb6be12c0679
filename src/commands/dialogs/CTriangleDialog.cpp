// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/CTriangleDialog.h"

#include "commands/dialogs/DialogForm.h"

#include <QLineEdit>

namespace tavrel {

CTriangleDialog::CTriangleDialog(QWidget* parent)
    : CParameterDialog(tr("Draw Triangle"), QSize(142, 90), parent)
{
    m_x1Edit = PlaceLineEdit(this, form(), 0, 0, tr("X1:"), QStringLiteral("x1Edit"), 1011);
    m_y1Edit = PlaceLineEdit(this, form(), 0, 1, tr("Y1:"), QStringLiteral("y1Edit"), 1012);
    m_x2Edit = PlaceLineEdit(this, form(), 1, 0, tr("X2:"), QStringLiteral("x2Edit"), 1013);
    m_y2Edit = PlaceLineEdit(this, form(), 1, 1, tr("Y2:"), QStringLiteral("y2Edit"), 1014);
    m_x3Edit = PlaceLineEdit(this, form(), 2, 0, tr("X3:"), QStringLiteral("x3Edit"), 1015);
    m_y3Edit = PlaceLineEdit(this, form(), 2, 1, tr("Y3:"), QStringLiteral("y3Edit"), 1016);
}

void CTriangleDialog::push()
{
    m_x1Edit->setText(m_x1);
    m_y1Edit->setText(m_y1);
    m_x2Edit->setText(m_x2);
    m_y2Edit->setText(m_y2);
    m_x3Edit->setText(m_x3);
    m_y3Edit->setText(m_y3);
}

bool CTriangleDialog::commit()
{
    m_x1 = m_x1Edit->text();
    m_y1 = m_y1Edit->text();
    m_x2 = m_x2Edit->text();
    m_y2 = m_y2Edit->text();
    m_x3 = m_x3Edit->text();
    m_y3 = m_y3Edit->text();
    return true;
}

} // namespace tavrel

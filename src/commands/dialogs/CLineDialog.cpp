// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/CLineDialog.h"

#include "commands/dialogs/DialogForm.h"

#include <QLineEdit>

namespace tavrel {

CLineDialog::CLineDialog(QWidget* parent)
    : CParameterDialog(tr("Enter Coordinates"), QSize(161, 63), parent)
{
    m_x1Edit = PlaceLineEdit(this, form(), 0, 0, tr("X1:"), QStringLiteral("x1Edit"), 1011);
    m_y1Edit = PlaceLineEdit(this, form(), 0, 1, tr("Y1:"), QStringLiteral("y1Edit"), 1012);
    m_x2Edit = PlaceLineEdit(this, form(), 1, 0, tr("X2:"), QStringLiteral("x2Edit"), 1013);
    m_y2Edit = PlaceLineEdit(this, form(), 1, 1, tr("Y2:"), QStringLiteral("y2Edit"), 1014);
}

void CLineDialog::push()
{
    m_x1Edit->setText(m_x1);
    m_y1Edit->setText(m_y1);
    m_x2Edit->setText(m_x2);
    m_y2Edit->setText(m_y2);
}

bool CLineDialog::commit()
{
    m_x1 = m_x1Edit->text();
    m_y1 = m_y1Edit->text();
    m_x2 = m_x2Edit->text();
    m_y2 = m_y2Edit->text();
    return true;
}

} // namespace tavrel

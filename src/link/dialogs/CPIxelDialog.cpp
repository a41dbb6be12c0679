// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/dialogs/CPIxelDialog.h"

#include <QLineEdit>

namespace tavrel {

CPIxelDialog::CPIxelDialog(QWidget* parent)
    : CParameterDialog(tr("Enter Pixel Coordinates"), QSize(140, 65), parent)
{
    m_xEdit = addLineEdit(tr("X:"), QStringLiteral("xEdit"), 1011);
    m_yEdit = addLineEdit(tr("Y:"), QStringLiteral("yEdit"), 1012);
}

void CPIxelDialog::push()
{
    m_xEdit->setText(m_x);
    m_yEdit->setText(m_y);
}

bool CPIxelDialog::commit()
{
    m_x = m_xEdit->text();
    m_y = m_yEdit->text();
    return true;
}

} // namespace tavrel

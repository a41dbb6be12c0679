// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdcard/dialogs/CGetFilenameDialog.h"

#include "sdcard/dialogs/FileNameEntry.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tavrel {

CGetFilenameDialog::CGetFilenameDialog(QWidget* parent)
    : CParameterDialog(tr("Get Filename and Origin"), QSize(186, 120), parent)
{
    m_headingLabel = AddHeading(this, form());
    m_filenameEdit = AddFileNameEntry(this, form());
    auto* origin = new QLabel(tr("Display at:"), this);
    origin->setObjectName(QStringLiteral("displayAtLabel"));
    form()->addWidget(origin, form()->rowCount(), 0, 1, -1);
    m_xEdit = addLineEdit(tr("X:"), QStringLiteral("xEdit"), 1011);
    m_yEdit = addLineEdit(tr("Y:"), QStringLiteral("yEdit"), 1012);
}

void CGetFilenameDialog::push()
{
    m_headingLabel->setText(m_heading);
    m_filenameEdit->setText(m_filename);
    m_xEdit->setText(m_x);
    m_yEdit->setText(m_y);
}

bool CGetFilenameDialog::commit()
{
    if (!CommitFileName(this, m_filenameEdit))
        return false;
    m_filename = m_filenameEdit->text();
    m_x = m_xEdit->text();
    m_y = m_yEdit->text();
    return true;
}

} // namespace tavrel

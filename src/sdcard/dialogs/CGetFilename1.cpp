// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdcard/dialogs/CGetFilename1.h"

#include "sdcard/dialogs/FileNameEntry.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tavrel {

CGetFilename1::CGetFilename1(QWidget* parent)
    : CParameterDialog(tr("Get Filename"), QSize(186, 74), parent)
{
    m_heading = AddHeading(this, form());
    m_filenameEdit = AddFileNameEntry(this, form());
}

void CGetFilename1::push()
{
    m_heading->setText(m_prompt);
    m_filenameEdit->setText(m_filename);
}

bool CGetFilename1::commit()
{
    if (!CommitFileName(this, m_filenameEdit))
        return false;
    m_filename = m_filenameEdit->text();
    return true;
}

} // namespace tavrel

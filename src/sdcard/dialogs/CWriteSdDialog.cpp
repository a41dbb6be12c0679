// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdcard/dialogs/CWriteSdDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tavrel {

CWriteSdDialog::CWriteSdDialog(QWidget* parent)
    : CParameterDialog(tr("Write to SD Data Entry"), QSize(240, 62), parent)
{
    m_textEdit = new QLineEdit(this);
    m_textEdit->setObjectName(QStringLiteral("textEdit"));
    m_textEdit->setProperty("controlId", 1018);
    // QLineEdit's own limit would silently cut a longer text; the command
    // tells the user instead.
    m_textEdit->setMaxLength(32767);
    auto* label = new QLabel(tr("Enter text to write to open file on SD card:"), this);
    label->setObjectName(QStringLiteral("textLabel"));
    label->setBuddy(m_textEdit);
    form()->addWidget(label, 0, 0, 1, -1);
    form()->addWidget(m_textEdit, 1, 0, 1, -1);
}

void CWriteSdDialog::push()
{
    m_textEdit->setText(m_text);
}

bool CWriteSdDialog::commit()
{
    m_text = m_textEdit->text();
    return true;
}

} // namespace tavrel

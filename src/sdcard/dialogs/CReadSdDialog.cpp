// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdcard/dialogs/CReadSdDialog.h"

#include "widgets/UiSeam.h"
#include "sdcard/SdPackets.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tavrel {

CReadSdDialog::CReadSdDialog(QWidget* parent)
    : CParameterDialog(tr("Read bytes from SD Card"), QSize(240, 62), parent)
{
    m_countEdit = new QLineEdit(this);
    m_countEdit->setObjectName(QStringLiteral("countEdit"));
    m_countEdit->setProperty("controlId", 1018);
    auto* label = new QLabel(tr("Enter number of bytes to read from open file on SD card:"), this);
    label->setObjectName(QStringLiteral("countLabel"));
    label->setBuddy(m_countEdit);
    form()->addWidget(label, 0, 0, 1, -1);
    form()->addWidget(m_countEdit, 1, 0, 1, -1);
}

void CReadSdDialog::push()
{
    m_countEdit->setText(QString::number(m_count));
}

bool CReadSdDialog::commit()
{
    qint32 count = 0;
    if (!ParseLeadingInteger(m_countEdit->text(), count)) {
        UiSeam::showMessage(this, NotAnIntegerText(), AppTitle());
        m_countEdit->setFocus(Qt::OtherFocusReason);
        m_countEdit->selectAll();
        return false;
    }
    m_count = count;
    return true;
}

} // namespace tavrel

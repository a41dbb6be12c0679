// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/CWriteCommandDialog.h"

#include "commands/dialogs/DialogForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tavrel {

CWriteCommandDialog::CWriteCommandDialog(QWidget* parent)
    : CParameterDialog(tr("Write Command"), QSize(186, 90), parent)
{
    m_commandEdit = PlaceLineEdit(this, form(), 0, 0, tr("Command Byte (0..255):"), QStringLiteral("commandEdit"), 1018);
    auto* note = new QLabel(tr("This sends a command to the SSD1331 Oled controller.  Examples:  "
                               "167=inverse display, 164=normal display"),
                            this);
    note->setObjectName(QStringLiteral("noteLabel"));
    note->setWordWrap(true);
    form()->addWidget(note, 1, 0, 1, 2);
}

void CWriteCommandDialog::push()
{
    m_commandEdit->setText(m_command);
}

bool CWriteCommandDialog::commit()
{
    m_command = m_commandEdit->text();
    return true;
}

} // namespace tavrel

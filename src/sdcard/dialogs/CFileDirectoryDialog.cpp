// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdcard/dialogs/CFileDirectoryDialog.h"

#include "widgets/CEnterTextEdit.h"

#include <QFontDatabase>
#include <QGridLayout>

namespace tavrel {

CFileDirectoryDialog::CFileDirectoryDialog(QWidget* parent)
    : CParameterDialog(tr("SD Card File Info:"), QSize(220, 150), parent)
{
    // Enter closes the dialog with OK; Ctrl+Enter adds a line.
    m_textEdit = new CEnterTextEdit(this);
    m_textEdit->setObjectName(QStringLiteral("textEdit"));
    m_textEdit->setProperty("controlId", 1018);
    // Scrolls with the cursor both ways, without scroll bars.
    m_textEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Listings line their sizes up in columns.
    m_textEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    form()->addWidget(m_textEdit, 0, 0, 1, -1);
    form()->setRowStretch(0, 1);
}

void CFileDirectoryDialog::push()
{
    QString shown = m_text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_textEdit->setPlainText(shown);
}

bool CFileDirectoryDialog::commit()
{
    return true;
}

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/CCopyAreaDialog.h"

#include "commands/dialogs/DialogForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tavrel {

CCopyAreaDialog::CCopyAreaDialog(QWidget* parent)
    : CParameterDialog(tr("Copy Area"), QSize(160, 121), parent)
{
    auto* source = new QLabel(tr("Source:"), this);
    source->setObjectName(QStringLiteral("sourceLabel"));
    form()->addWidget(source, 0, 0, 1, 4);
    m_srcXEdit = PlaceLineEdit(this, form(), 1, 0, tr("X:"), QStringLiteral("srcXEdit"), 1021);
    m_srcYEdit = PlaceLineEdit(this, form(), 1, 1, tr("Y:"), QStringLiteral("srcYEdit"), 1022);
    m_widthEdit = PlaceLineEdit(this, form(), 2, 0, tr("Width:"), QStringLiteral("widthEdit"), 1019);
    m_heightEdit = PlaceLineEdit(this, form(), 2, 1, tr("Height:"), QStringLiteral("heightEdit"), 1020);
    auto* destination = new QLabel(tr("Destination:"), this);
    destination->setObjectName(QStringLiteral("destinationLabel"));
    form()->addWidget(destination, 3, 0, 1, 4);
    m_dstXEdit = PlaceLineEdit(this, form(), 4, 0, tr("X:"), QStringLiteral("dstXEdit"), 1013);
    m_dstYEdit = PlaceLineEdit(this, form(), 4, 1, tr("Y:"), QStringLiteral("dstYEdit"), 1014);
}

void CCopyAreaDialog::push()
{
    m_srcXEdit->setText(m_srcX);
    m_srcYEdit->setText(m_srcY);
    m_widthEdit->setText(m_width);
    m_heightEdit->setText(m_height);
    m_dstXEdit->setText(m_dstX);
    m_dstYEdit->setText(m_dstY);
}

bool CCopyAreaDialog::commit()
{
    m_srcX = m_srcXEdit->text();
    m_srcY = m_srcYEdit->text();
    m_width = m_widthEdit->text();
    m_height = m_heightEdit->text();
    m_dstX = m_dstXEdit->text();
    m_dstY = m_dstYEdit->text();
    return true;
}

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/CRotateDisplayDialog.h"

#include "commands/dialogs/DialogForm.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace tavrel {

CRotateDisplayDialog::CRotateDisplayDialog(QWidget* parent)
    : CParameterDialog(tr("Rotate Display"), QSize(118, 90), parent)
{
    m_orientations = new QButtonGroup(this);
    auto* normal = MakeRadioButton(this, tr("Normal"), QStringLiteral("normalRadio"), 1031);
    auto* upsideDown = MakeRadioButton(this, tr("Upside-Down (rotated 180)"), QStringLiteral("upsideDownRadio"), 1032);
    auto* portrait = MakeRadioButton(this, tr("Portrait Mode"), QStringLiteral("portraitRadio"), 1033);
    portrait->setVisible(false);
    m_orientations->addButton(normal, 0);
    m_orientations->addButton(upsideDown, 1);
    m_orientations->addButton(portrait, 2);
    form()->addWidget(normal, 0, 0);
    form()->addWidget(upsideDown, 1, 0);
    form()->addWidget(portrait, 2, 0);
}

void CRotateDisplayDialog::push()
{
    QAbstractButton* chosen = m_orientations->button(m_orientation);
    (chosen ? chosen : m_orientations->button(0))->setChecked(true);
}

bool CRotateDisplayDialog::commit()
{
    m_orientation = qMax(0, m_orientations->checkedId());
    return true;
}

} // namespace tavrel

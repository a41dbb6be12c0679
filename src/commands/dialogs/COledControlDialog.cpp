// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/COledControlDialog.h"

#include "widgets/UiSeam.h"
#include "commands/ChoiceFields.h"
#include "commands/DisplayControlCommands.h"
#include "commands/dialogs/DialogForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tavrel {

COledControlDialog::COledControlDialog(QWidget* parent)
    : CParameterDialog(tr("Oled Control Functions"), QSize(198, 150), parent)
{
    auto* group = new QGroupBox(tr("Control Functions"), this);
    group->setObjectName(QStringLiteral("controlFunctionsGroup"));
    auto* grid = new QGridLayout(group);
    form()->addWidget(group, 0, 0, 1, 2);

    m_functions = new QButtonGroup(this);
    m_firstFunction = MakeRadioButton(group, tr("Display On/Off"), QStringLiteral("displayOnOffRadio"), 1038);
    auto* contrast = MakeRadioButton(group, tr("Set Contrast"), QStringLiteral("setContrastRadio"), 1039);
    auto* power = MakeRadioButton(group, tr("Power On/Off"), QStringLiteral("powerOnOffRadio"), 1040);
    m_functions->addButton(m_firstFunction, 0);
    m_functions->addButton(contrast, 1);
    m_functions->addButton(power, 2);

    m_displayOffBox = MakeCheckBox(group, tr("Turn Display Off (uncheck to turn on)"),
                                   QStringLiteral("displayOffCheck"), 1023);
    m_contrastEdit = new QLineEdit(group);
    m_contrastEdit->setObjectName(QStringLiteral("contrastEdit"));
    m_contrastEdit->setProperty("controlId", 1018);
    auto* contrastLabel = new QLabel(tr("Enter value from 0 to 15"), group);
    contrastLabel->setBuddy(m_contrastEdit);
    m_powerOffBox = MakeCheckBox(group, tr("Power Off (uncheck to power on)"), QStringLiteral("powerOffCheck"), 1024);

    // Each function beside the control that gives its value.
    auto* contrastRow = new QHBoxLayout;
    contrastRow->addWidget(contrastLabel);
    contrastRow->addWidget(m_contrastEdit);
    grid->addWidget(m_firstFunction, 0, 0);
    grid->addWidget(m_displayOffBox, 0, 1);
    grid->addWidget(contrast, 1, 0);
    grid->addLayout(contrastRow, 1, 1);
    grid->addWidget(power, 2, 0);
    grid->addWidget(m_powerOffBox, 2, 1);

    setTabOrder(m_firstFunction, contrast);
    setTabOrder(contrast, power);
    setTabOrder(power, m_displayOffBox);
    setTabOrder(m_displayOffBox, m_contrastEdit);
    setTabOrder(m_contrastEdit, m_powerOffBox);
    setTabOrder(m_powerOffBox, okButton());
}

void COledControlDialog::push()
{
    m_displayOffBox->setChecked(m_displayOff != 0);
    m_contrastEdit->setText(QString::number(m_contrast));
    m_powerOffBox->setChecked(m_powerOff != 0);
    QAbstractButton* chosen = m_functions->button(m_function);
    if (!chosen)
        chosen = m_firstFunction;
    chosen->setChecked(true);
    chosen->setFocus(Qt::OtherFocusReason);
}

bool COledControlDialog::commit()
{
    int contrast = 0;
    const QString problem = ContrastEntryProblem(m_contrastEdit->text(), &contrast);
    if (!problem.isEmpty()) {
        UiSeam::showMessage(this, problem, ApplicationCaption());
        m_contrastEdit->setFocus(Qt::OtherFocusReason);
        m_contrastEdit->selectAll();
        return false;
    }
    m_displayOff = m_displayOffBox->isChecked() ? 1 : 0;
    m_contrast = contrast;
    m_powerOff = m_powerOffBox->isChecked() ? 1 : 0;
    m_function = qMax(0, m_functions->checkedId());
    return true;
}

} // namespace tavrel

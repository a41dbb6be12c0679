// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/CScrollDialog.h"

#include "commands/dialogs/DialogForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tavrel {

CScrollDialog::CScrollDialog(QWidget* parent)
    : CParameterDialog(tr("Scroll Control"), QSize(250, 228), parent)
{
    auto* group = new QGroupBox(tr("Scroll Functions"), this);
    group->setObjectName(QStringLiteral("scrollFunctionsGroup"));
    auto* grid = new QGridLayout(group);
    grid->setColumnMinimumWidth(0, 16);
    grid->setColumnStretch(1, 1);
    form()->addWidget(group, 0, 0, 1, 2);

    struct Row {
        const char* caption;
        const char* objectName;
    };
    static const Row kRows[] = {
        {"Enable/Disable Scrolling", "enableScrollingRadio"},
        {"Set Scroll Speed (0..3) (0=fastest, 3=slowest)", "scrollSpeedRadio"},
        {"Set Horizontal Step (0=no horizontal scrolling)", "horizontalStepRadio"},
        {"Set Starting Row (must be less than 64)", "startRowRadio"},
        {"Set # Rows to Scroll (This plus start row must be <64)", "rowCountRadio"},
        {"Set Vertical Step (0= no vertical scrolling)", "verticalStepRadio"},
    };
    static const char* const kEditNames[] = {"speedEdit", "horizontalStepEdit", "startRowEdit", "rowCountEdit",
                                             "verticalStepEdit"};

    m_functions = new QButtonGroup(this);
    m_enableBox = MakeCheckBox(group, tr("Enable"), QStringLiteral("enableCheck"), 1039);
    QLineEdit* edits[5] = {};
    QWidget* previous = nullptr;
    for (int i = 0; i < 6; ++i) {
        auto* radio = MakeRadioButton(group, tr(kRows[i].caption), QString::fromLatin1(kRows[i].objectName), 1031 + i);
        m_functions->addButton(radio, i);
        grid->addWidget(radio, 2 * i, 0, 1, 2);
        QWidget* value = m_enableBox;
        if (i > 0) {
            auto* edit = new QLineEdit(group);
            edit->setObjectName(QString::fromLatin1(kEditNames[i - 1]));
            edit->setProperty("controlId", 1040 + i);
            edits[i - 1] = edit;
            value = edit;
        }
        // The value stands indented under its radio button.
        grid->addWidget(value, 2 * i + 1, 1);
        if (previous)
            setTabOrder(previous, radio);
        setTabOrder(radio, value);
        previous = value;
    }
    setTabOrder(previous, okButton());
    m_speedEdit = edits[0];
    m_horizontalStepEdit = edits[1];
    m_startRowEdit = edits[2];
    m_rowCountEdit = edits[3];
    m_verticalStepEdit = edits[4];
}

void CScrollDialog::push()
{
    QAbstractButton* chosen = m_functions->button(m_function);
    if (!chosen)
        chosen = m_functions->button(0);
    chosen->setChecked(true);
    m_enableBox->setChecked(m_enable != 0);
    m_speedEdit->setText(m_speed);
    m_horizontalStepEdit->setText(m_horizontalStep);
    m_startRowEdit->setText(m_startRow);
    m_rowCountEdit->setText(m_rowCount);
    m_verticalStepEdit->setText(m_verticalStep);
    chosen->setFocus(Qt::OtherFocusReason);
}

bool CScrollDialog::commit()
{
    m_function = qMax(0, m_functions->checkedId());
    m_enable = m_enableBox->isChecked() ? 1 : 0;
    m_speed = m_speedEdit->text();
    m_horizontalStep = m_horizontalStepEdit->text();
    m_startRow = m_startRowEdit->text();
    m_rowCount = m_rowCountEdit->text();
    m_verticalStep = m_verticalStepEdit->text();
    return true;
}

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace tavrel {

// "Scroll Control": one of six scroll settings, each with its value under
// its radio button. The caller sets the defaults before showing it.
class CScrollDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CScrollDialog(QWidget* parent = nullptr);

    int m_function = 0;  // index of the chosen radio button
    int m_enable = 0;    // "Enable"
    QString m_speed;
    QString m_horizontalStep;
    QString m_startRow;
    QString m_rowCount;
    QString m_verticalStep;

protected:
    void push() override;
    bool commit() override;

private:
    QButtonGroup* m_functions = nullptr;
    QCheckBox* m_enableBox = nullptr;
    QLineEdit* m_speedEdit = nullptr;
    QLineEdit* m_horizontalStepEdit = nullptr;
    QLineEdit* m_startRowEdit = nullptr;
    QLineEdit* m_rowCountEdit = nullptr;
    QLineEdit* m_verticalStepEdit = nullptr;
};

} // namespace tavrel

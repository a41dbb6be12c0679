// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

class QLineEdit;

namespace tavrel {

// "Enter Coordinates": the two points of Draw Line and Draw Rectangle,
// taken as typed; the command checks them.
class CLineDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CLineDialog(QWidget* parent = nullptr);

    QString m_x1;
    QString m_y1;
    QString m_x2;
    QString m_y2;

protected:
    void push() override;
    bool commit() override;

private:
    QLineEdit* m_x1Edit = nullptr;
    QLineEdit* m_y1Edit = nullptr;
    QLineEdit* m_x2Edit = nullptr;
    QLineEdit* m_y2Edit = nullptr;
};

} // namespace tavrel

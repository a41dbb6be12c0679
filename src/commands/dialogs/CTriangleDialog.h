// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

class QLineEdit;

namespace tavrel {

// "Draw Triangle": three points, one per row, taken as typed.
class CTriangleDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CTriangleDialog(QWidget* parent = nullptr);

    QString m_x1;
    QString m_x2;
    QString m_x3;
    QString m_y1;
    QString m_y2;
    QString m_y3;

protected:
    void push() override;
    bool commit() override;

private:
    QLineEdit* m_x1Edit = nullptr;
    QLineEdit* m_x2Edit = nullptr;
    QLineEdit* m_x3Edit = nullptr;
    QLineEdit* m_y1Edit = nullptr;
    QLineEdit* m_y2Edit = nullptr;
    QLineEdit* m_y3Edit = nullptr;
};

} // namespace tavrel

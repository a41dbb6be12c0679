// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

class QLineEdit;

namespace tavrel {

// "Draw Circle": the centre and the radius, taken as typed.
class CCircleDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CCircleDialog(QWidget* parent = nullptr);

    QString m_x;
    QString m_y;
    QString m_radius;

protected:
    void push() override;
    bool commit() override;

private:
    QLineEdit* m_xEdit = nullptr;
    QLineEdit* m_yEdit = nullptr;
    QLineEdit* m_radiusEdit = nullptr;
};

} // namespace tavrel

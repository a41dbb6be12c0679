// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

class QLineEdit;

namespace tavrel {

// "Dim Area": the corner of the area and its size, taken as typed.
class CDimAreaDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CDimAreaDialog(QWidget* parent = nullptr);

    QString m_x;
    QString m_y;
    QString m_width;
    QString m_height;

protected:
    void push() override;
    bool commit() override;

private:
    QLineEdit* m_xEdit = nullptr;
    QLineEdit* m_yEdit = nullptr;
    QLineEdit* m_widthEdit = nullptr;
    QLineEdit* m_heightEdit = nullptr;
};

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

class QLineEdit;

namespace tavrel {

// "Enter Pixel Coordinates": the point of Set Pixel and Read Pixel. The
// entries are taken as typed; the command checks them.
class CPIxelDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CPIxelDialog(QWidget* parent = nullptr);

    QString m_x;
    QString m_y;

protected:
    void push() override;
    bool commit() override;

private:
    QLineEdit* m_xEdit = nullptr;
    QLineEdit* m_yEdit = nullptr;
};

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

class QLineEdit;

namespace tavrel {

// "Write Command": one raw command byte for the SSD1331 controller, taken
// as typed.
class CWriteCommandDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CWriteCommandDialog(QWidget* parent = nullptr);

    QString m_command;

protected:
    void push() override;
    bool commit() override;

private:
    QLineEdit* m_commandEdit = nullptr;
};

} // namespace tavrel

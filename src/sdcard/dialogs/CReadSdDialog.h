// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QtGlobal>

class QLineEdit;

namespace tavrel {

// "Read bytes from SD Card": how many bytes to read from the file open on the
// card. OK takes the leading whole number of the entry; an entry that does
// not begin with one is refused with "Please enter an integer.".
class CReadSdDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CReadSdDialog(QWidget* parent = nullptr);

    qint32 m_count = 0;

protected:
    void push() override;
    bool commit() override;

private:
    QLineEdit* m_countEdit = nullptr;
};

} // namespace tavrel

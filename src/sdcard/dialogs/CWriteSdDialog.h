// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

class QLineEdit;

namespace tavrel {

// "Write to SD Data Entry": the text to write to the file open on the card.
// The dialog sets no length limit; the command refuses more than 255.
class CWriteSdDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CWriteSdDialog(QWidget* parent = nullptr);

    QString m_text;

protected:
    void push() override;
    bool commit() override;

private:
    QLineEdit* m_textEdit = nullptr;
};

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

class QLabel;
class QLineEdit;

namespace tavrel {

// "Get Filename": a heading that the caller sets (the prompt) above one file
// name edit of at most twelve characters (a DOS 8.3 name).
class CGetFilename1 : public CParameterDialog {
    Q_OBJECT
public:
    explicit CGetFilename1(QWidget* parent = nullptr);

    QString m_prompt;
    QString m_filename;

protected:
    void push() override;
    bool commit() override;

private:
    QLabel* m_heading = nullptr;
    QLineEdit* m_filenameEdit = nullptr;
};

} // namespace tavrel

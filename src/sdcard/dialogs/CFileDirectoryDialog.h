// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

namespace tavrel {

class CEnterTextEdit;

// "SD Card File Info:": shows text the module sent (a directory listing or
// file data) in an editable multi-line box. OK, Enter and Escape all just
// close it.
class CFileDirectoryDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CFileDirectoryDialog(QWidget* parent = nullptr);

    // As received: "\r\n", a lone "\r" and "\n" all show as line breaks.
    QString m_text;

protected:
    void push() override;
    bool commit() override;

private:
    CEnterTextEdit* m_textEdit = nullptr;
};

} // namespace tavrel

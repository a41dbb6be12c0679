// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

class QLabel;
class QLineEdit;

namespace tavrel {

// "Get Filename and Origin": a heading, a file name of at most twelve
// characters and the place on the panel to show the file at. Opens with X and
// Y at "0"; earlier entries are not remembered.
class CGetFilenameDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CGetFilenameDialog(QWidget* parent = nullptr);

    QString m_filename;
    QString m_heading;
    QString m_x = QStringLiteral("0");
    QString m_y = QStringLiteral("0");

protected:
    void push() override;
    bool commit() override;

private:
    QLabel* m_headingLabel = nullptr;
    QLineEdit* m_filenameEdit = nullptr;
    QLineEdit* m_xEdit = nullptr;
    QLineEdit* m_yEdit = nullptr;
};

} // namespace tavrel

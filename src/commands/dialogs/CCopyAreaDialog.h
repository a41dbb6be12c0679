// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

class QLineEdit;

namespace tavrel {

// "Copy Area": the source point with the size of the area, and the
// destination point. Width and height start at "8".
class CCopyAreaDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CCopyAreaDialog(QWidget* parent = nullptr);

    QString m_srcX;
    QString m_srcY;
    QString m_dstX;
    QString m_dstY;
    QString m_width = QStringLiteral("8");
    QString m_height = QStringLiteral("8");

protected:
    void push() override;
    bool commit() override;

private:
    QLineEdit* m_srcXEdit = nullptr;
    QLineEdit* m_srcYEdit = nullptr;
    QLineEdit* m_widthEdit = nullptr;
    QLineEdit* m_heightEdit = nullptr;
    QLineEdit* m_dstXEdit = nullptr;
    QLineEdit* m_dstYEdit = nullptr;
};

} // namespace tavrel

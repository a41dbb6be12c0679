// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/dialogs/CParameterDialog.h"

#include <QString>

#include <array>

class QComboBox;
class QLineEdit;

namespace tavrel {

// "Draw Polygon": seven points and the number of them to join (3 to 7). The
// list starts at "3" each time the dialog opens.
class CDrawPolygonDialog : public CParameterDialog {
    Q_OBJECT
public:
    explicit CDrawPolygonDialog(QWidget* parent = nullptr);

    static constexpr int kMorePoints = 6;  // points 2..7

    QComboBox* m_vertexList = nullptr;
    QString m_x1;
    QString m_y1;
    std::array<QString, kMorePoints> m_x;  // points 2..7
    std::array<QString, kMorePoints> m_y;
    QString m_vertexCount;  // the text of the selected list item

protected:
    void push() override;
    bool commit() override;

private:
    QLineEdit* m_x1Edit = nullptr;
    QLineEdit* m_y1Edit = nullptr;
    std::array<QLineEdit*, kMorePoints> m_xEdits{};
    std::array<QLineEdit*, kMorePoints> m_yEdits{};
};

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/dialogs/CDrawPolygonDialog.h"

#include "commands/dialogs/DialogForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace tavrel {

CDrawPolygonDialog::CDrawPolygonDialog(QWidget* parent)
    : CParameterDialog(tr("Draw Polygon"), QSize(154, 166), parent)
{
    m_x1Edit = PlaceLineEdit(this, form(), 0, 0, tr("X1:"), QStringLiteral("x1Edit"), 1011);
    m_y1Edit = PlaceLineEdit(this, form(), 0, 1, tr("Y1:"), QStringLiteral("y1Edit"), 1012);
    for (int i = 0; i < kMorePoints; ++i) {
        const int point = i + 2;
        const int xId = 1023 + 2 * i;
        m_xEdits[size_t(i)] = PlaceLineEdit(this, form(), i + 1, 0, tr("X%1:").arg(point),
                                            QStringLiteral("x%1Edit").arg(point), xId);
        m_yEdits[size_t(i)] = PlaceLineEdit(this, form(), i + 1, 1, tr("Y%1:").arg(point),
                                            QStringLiteral("y%1Edit").arg(point), xId + 1);
    }

    // A list to choose from, no typing; its items are already in order.
    m_vertexList = new QComboBox(this);
    m_vertexList->setObjectName(QStringLiteral("vertexList"));
    m_vertexList->setProperty("controlId", 1037);
    m_vertexList->setEditable(false);
    m_vertexList->addItems({QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                            QStringLiteral("7")});
    auto* caption = new QLabel(tr("# Vertices:"), this);
    caption->setBuddy(m_vertexList);
    const int row = kMorePoints + 1;
    form()->addWidget(caption, row, 0, 1, 2);
    form()->addWidget(m_vertexList, row, 2, 1, 2);
}

void CDrawPolygonDialog::push()
{
    m_x1Edit->setText(m_x1);
    m_y1Edit->setText(m_y1);
    for (int i = 0; i < kMorePoints; ++i) {
        m_xEdits[size_t(i)]->setText(m_x[size_t(i)]);
        m_yEdits[size_t(i)]->setText(m_y[size_t(i)]);
    }
    // The vertex count is not remembered: the list starts at its first item.
    m_vertexList->setCurrentIndex(0);
}

bool CDrawPolygonDialog::commit()
{
    m_x1 = m_x1Edit->text();
    m_y1 = m_y1Edit->text();
    for (int i = 0; i < kMorePoints; ++i) {
        m_x[size_t(i)] = m_xEdits[size_t(i)]->text();
        m_y[size_t(i)] = m_yEdits[size_t(i)]->text();
    }
    m_vertexCount = m_vertexList->currentText();
    return true;
}

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/COledCharEdit.h"

#include "commands/UserCharacter.h"
#include "link/ParseDecimal.h"
#include "widgets/DialogUnits.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace tavrel {

namespace {
constexpr QRgb kClear = qRgb(255, 255, 255);
constexpr QRgb kSet = qRgb(0, 0, 0);
// First client pixel right of and below the grid.
constexpr int kGridEnd = COledCharEdit::kOrigin + COledCharEdit::kCells * COledCharEdit::kPitch;
} // namespace

COledCharEdit::COledCharEdit(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_cells(kCells, kCells, QImage::Format_RGB888)
{
    setWindowTitle(tr("Character Editor"));
    m_cells.fill(kClear);
    buildControls();
}

void COledCharEdit::buildControls()
{
    // The controls are placed in dialog units, but never over the grid,
    // whose size is fixed in pixels whatever the font.
    const DialogUnits du(font());
    const int margin = du.x(7);
    const int right = qMax(du.x(92), kGridEnd + margin);
    const int buttonWidth = du.x(60);
    const int buttonHeight = du.y(14);

    auto* hint = new QLabel(tr("Use Left mouse button to set, right mouse button to clear pixels"), this);
    hint->setObjectName(QStringLiteral("hintLabel"));
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const int hintWidth = qMax(du.x(181) - margin - right, buttonWidth);
    const int hintHeight = qMax(du.y(32), hint->heightForWidth(hintWidth));
    hint->setGeometry(right, du.y(7), hintWidth, hintHeight);

    auto* setAll = new QPushButton(tr("Set All"), this);
    setAll->setObjectName(QStringLiteral("setAllButton"));
    setAll->setProperty("controlId", 1016);
    setAll->setGeometry(right, hint->geometry().bottom() + 1 + du.y(6), buttonWidth, buttonHeight);
    connect(setAll, &QPushButton::clicked, this, &COledCharEdit::OnSetAll);

    auto* clearAll = new QPushButton(tr("Clear All"), this);
    clearAll->setObjectName(QStringLiteral("clearAllButton"));
    clearAll->setProperty("controlId", 1017);
    clearAll->setGeometry(right, setAll->geometry().bottom() + 1 + du.y(4), buttonWidth, buttonHeight);
    connect(clearAll, &QPushButton::clicked, this, &COledCharEdit::OnClearAll);

    const QString numberCaption = tr("Character # (0 to 31):");
    const int below = qMax(du.y(86), kGridEnd + du.y(6));
    m_charNumberEdit = new QLineEdit(this);
    m_charNumberEdit->setObjectName(QStringLiteral("charNumberEdit"));
    m_charNumberEdit->setProperty("controlId", 1018);
    const int lineHeight = qMax(du.y(12), m_charNumberEdit->sizeHint().height());
    auto* numberLabel = new QLabel(numberCaption, this);
    numberLabel->setObjectName(QStringLiteral("charNumberLabel"));
    const int labelWidth = qMax(du.x(78), numberLabel->fontMetrics().horizontalAdvance(numberCaption) + du.x(2));
    numberLabel->setGeometry(kOrigin, below, labelWidth, lineHeight);
    m_charNumberEdit->setGeometry(kOrigin + labelWidth + du.x(4), below, du.x(36), lineHeight);
    numberLabel->setBuddy(m_charNumberEdit);

    const int width = std::max({du.x(181), right + hintWidth + margin, m_charNumberEdit->geometry().right() + 1 + margin});
    const int okTop = qMax(m_charNumberEdit->geometry().bottom() + 1 + du.y(10), clearAll->geometry().bottom() + 1);
    const int height = qMax(du.y(158), okTop + buttonHeight + du.y(7));
    const int okWidth = du.x(50);

    m_okButton = new QPushButton(tr("OK"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setProperty("controlId", 1);
    m_okButton->setDefault(true);
    m_okButton->setGeometry(width - margin - okWidth, height - du.y(7) - buttonHeight, okWidth, buttonHeight);
    connect(m_okButton, &QPushButton::clicked, this, &COledCharEdit::accept);

    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setProperty("controlId", 2);
    cancel->setGeometry(m_okButton->x() - du.x(6) - okWidth, m_okButton->y(), okWidth, buttonHeight);
    connect(cancel, &QPushButton::clicked, this, &COledCharEdit::reject);

    setTabOrder(m_charNumberEdit, setAll);
    setTabOrder(setAll, clearAll);
    setTabOrder(clearAll, m_okButton);
    setTabOrder(m_okButton, cancel);
    setFixedSize(width, height);
}

void COledCharEdit::showEvent(QShowEvent* event)
{
    if (!m_pushed) {
        m_pushed = true;
        m_charNumberEdit->setText(m_charNumber);
        m_charNumberEdit->setFocus(Qt::OtherFocusReason);
    }
    QDialog::showEvent(event);
}

bool COledCharEdit::CellAt(const QPoint& position, int& column, int& row)
{
    // A release or a move outside the window (the mouse is captured while a
    // button is held) has nothing to do with the grid.
    if (position.x() < 0 || position.y() < 0)
        return false;
    // Truncating division: the margin 0..9 falls to column and row 0.
    const int c = (position.x() - kOrigin) / kPitch;
    const int r = (position.y() - kOrigin) / kPitch;
    if (static_cast<unsigned>(c) >= kCells || static_cast<unsigned>(r) >= kCells)
        return false;
    column = c;
    row = r;
    return true;
}

QRect COledCharEdit::CellRect(int column, int row)
{
    return QRect(kOrigin + kPitch * column, kOrigin + kPitch * row, kCellSize, kCellSize);
}

bool COledCharEdit::cellIs(int column, int row, QRgb colour) const
{
    return (m_cells.pixel(column, row) & 0x00FFFFFFu) == (colour & 0x00FFFFFFu);
}

bool COledCharEdit::isCellSet(int column, int row) const
{
    return !cellIs(column, row, kClear);
}

void COledCharEdit::setCell(int column, int row, bool set)
{
    m_cells.setPixel(column, row, set ? kSet : kClear);
    update();
}

void COledCharEdit::fillCells(bool set)
{
    m_cells.fill(set ? kSet : kClear);
    update();
}

void COledCharEdit::OnSetAll()
{
    fillCells(true);
}

void COledCharEdit::OnClearAll()
{
    fillCells(false);
}

void COledCharEdit::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (int row = 0; row < kCells; ++row)
        for (int column = 0; column < kCells; ++column)
            painter.fillRect(CellRect(column, row), isCellSet(column, row) ? Qt::black : Qt::white);
}

void COledCharEdit::mouseReleaseEvent(QMouseEvent* event)
{
    int column = 0;
    int row = 0;
    if (CellAt(event->position().toPoint(), column, row)) {
        if (event->button() == Qt::LeftButton)
            setCell(column, row, true);
        else if (event->button() == Qt::RightButton)
            setCell(column, row, false);
    }
    QDialog::mouseReleaseEvent(event);
}

void COledCharEdit::mouseMoveEvent(QMouseEvent* event)
{
    int column = 0;
    int row = 0;
    if (CellAt(event->position().toPoint(), column, row)) {
        // With both buttons held the left one wins. A cell that already has
        // the wanted colour is left alone.
        if (event->buttons() & Qt::LeftButton) {
            if (!cellIs(column, row, kSet))
                setCell(column, row, true);
        } else if (event->buttons() & Qt::RightButton) {
            if (!cellIs(column, row, kClear))
                setCell(column, row, false);
        }
    }
    QDialog::mouseMoveEvent(event);
}

void COledCharEdit::accept()
{
    m_charNumber = m_charNumberEdit->text();
    UserCharRows rows{};
    for (int row = 0; row < kCells; ++row) {
        quint8 bits = 0;
        for (int column = 0; column < kCells; ++column)
            if (isCellSet(column, row))
                bits |= quint8(0x80u >> column);
        rows[size_t(row)] = bits;
    }
    m_userCharPacket = UserCharPacket(LowByte(ParseDecimal(m_charNumber)), rows);
    QDialog::accept();
}

} // namespace tavrel

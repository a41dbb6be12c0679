// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/CXColourPopup.h"

#include "widgets/CXColourPicker.h"
#include "widgets/SystemColours.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QToolTip>
#include <qdrawutil.h>

namespace tavrel {

namespace {

struct NamedColour {
    const char* name;
    quint32 rgb;  // 0xRRGGBB as it is usually written
};

// Rows 0 to 6, left to right.
constexpr NamedColour kFixedColours[56] = {
    {"Light Maroon", 0x800040}, {"Dark Red", 0x8B0000}, {"Red", 0xFF0000}, {"Deep Pink", 0xFF0080},
    {"Magenta", 0xFF00FF}, {"Pink", 0xFF80C0}, {"Light Pink", 0xFF80FF}, {"Very Light Pink", 0xFFD0E8},

    {"Dark Orange", 0xFF8C00}, {"Orange", 0xFFA500}, {"Light Salmon", 0xFF8080}, {"Light Orange", 0xFFE0A0},
    {"Gold", 0xFFD700}, {"Yellow", 0xFFFF00}, {"Desert Yellow", 0xFFFF80}, {"Pale Yellow", 0xFFFFB8},

    {"Dark Green", 0x004000}, {"Medium Green", 0x004040}, {"Green", 0x008000}, {"Dark Teal", 0x008040},
    {"Olive", 0x808000}, {"Teal", 0x008080}, {"Turquoise", 0x408080}, {"Medium Spring Green", 0x00FF40},

    {"Mint Green", 0x80FF00}, {"Lime", 0x00FF00}, {"Spring Green", 0x00FF80}, {"Pale Green", 0x98FB98},
    {"Aquamarine", 0x7FFFD4}, {"Very Pale Green", 0xC0DCC0}, {"Deep Purple", 0x400040}, {"Purple", 0x800080},

    {"Deep Violet", 0x400080}, {"Midnight Blue", 0x000040}, {"Dark Blue", 0x0000A0}, {"Navy", 0x000080},
    {"Violet", 0x8000FF}, {"Blue", 0x0000FF}, {"Medium Blue", 0x004080}, {"Light Sky Blue", 0x0080FF},

    {"Cornflower Blue", 0x6495ED}, {"Sky Blue", 0x8080C0}, {"Dark Cyan", 0x0080C0}, {"Medium Slate Blue", 0x8080FF},
    {"Light Blue", 0x80FFFF}, {"Cyan", 0x00FFFF}, {"Powder Blue", 0xB0E0E6}, {"Light Cyan", 0xE0FFFF},

    {"Black", 0x000000}, {"Gray", 0x808080}, {"Gray 40%", 0x989898}, {"Silver", 0xC0C0C0},
    {"Light Gray", 0xD3D3D3}, {"Beige", 0xF5F5DC}, {"Floral White", 0xFFFBF0}, {"White", 0xFFFFFF},
};

constexpr int kFixedCount = int(sizeof(kFixedColours) / sizeof(kFixedColours[0]));
static_assert(kFixedCount == CXColourPopup::kSystemRow * CXColourPopup::kColumns);
static_assert(kSystemColourCount == 2 * CXColourPopup::kColumns);

constexpr HostColour FromRgb(quint32 rgb)
{
    return MakeHostColour(int(rgb >> 16), int(rgb >> 8), int(rgb));
}

QColor ToQColor(HostColour c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

constexpr int kFirstCustomIndex = CXColourPopup::kCustomColourRow * CXColourPopup::kColumns;

// The width of a 3-D edge on Windows (SM_CXEDGE); the cells' edges and the
// gap around the swatches are measured in it.
constexpr int kEdgeWidth = 2;

} // namespace

CXColourPopup::CXColourPopup(HostColour initialColour, CXColourPicker* picker, CustomColours* customColours,
                             const QPoint& screenPosition)
    : QWidget(picker, Qt::Popup | Qt::FramelessWindowHint)
    , m_picker(picker)
    , m_customColours(customColours)
    , m_initialColour(initialColour)
    , m_currentColour(initialColour)
{
    setObjectName(QStringLiteral("colourPopup"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);

    m_margin = kEdgeWidth;
    if (m_cellSize - 2 * m_margin - 2 < 5)
        m_cellSize = 2 * m_margin + 7;

    for (int i = 0; i < kFixedCount; ++i)
        m_colours[i] = FromRgb(kFixedColours[i].rgb);
    const auto system = ReadSystemColours(QGuiApplication::palette());
    for (int i = 0; i < kSystemColourCount; ++i)
        m_colours[indexOf(kSystemRow, 0) + i] = system[i];
    if (m_customColours) {
        for (int i = 0; i < int(m_customColours->size()); ++i)
            m_colours[kFirstCustomIndex + i] = (*m_customColours)[i];
    } else {
        for (int i = 0; i < 2 * kColumns; ++i)
            m_colours[kFirstCustomIndex + i] = kWhite;
    }

    for (int row = 0; row < kRows && m_selected.isNone(); ++row) {
        if (!isColourRow(row))
            continue;
        for (int column = 0; column < kColumns; ++column) {
            if (m_colours[indexOf(row, column)] == m_initialColour) {
                m_selected = {row, column};
                break;
            }
        }
    }

    m_textFont = QApplication::font("QMessageBox");
    layOut(screenPosition);
}

CXColourPopup::~CXColourPopup() = default;

QString CXColourPopup::customButtonText()
{
    return tr("Custom...");
}

bool CXColourPopup::isColourRow(int row)
{
    return row >= 0 && row < kRows && row != kDividerRow && row != kCustomButtonRow;
}

void CXColourPopup::layOut(const QPoint& screenPosition)
{
    const QFontMetrics metrics(m_textFont);
    const int buttonMinWidth = metrics.horizontalAdvance(customButtonText()) + 2 * m_margin;
    // The button stays within its row, so that it never covers the custom
    // colours below it, however large the message font is.
    const int buttonHeight = qMin(metrics.height() + 2 * m_margin, m_cellSize);

    const int width = qMax(kColumns * m_cellSize + 2 * m_margin, buttonMinWidth);
    const int height = kRows * m_cellSize + 2 * m_margin;

    m_customButtonRect = QRect(m_margin, m_margin + kCustomButtonRow * m_cellSize, width - 2 * m_margin, buttonHeight);
    m_dividerRect = QRect(m_margin, m_margin + kDividerRow * m_cellSize, width - 2 * m_margin, m_cellSize);

    setFixedSize(width, height);
    move(screenPosition);
}

HostColour CXColourPopup::cellColour(int row, int column) const
{
    if (!isColourRow(row) || column < 0 || column >= kColumns)
        return 0;
    return m_colours[indexOf(row, column)];
}

QString CXColourPopup::cellName(int row, int column) const
{
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows || row == kDividerRow)
        return QString();
    if (row < kSystemRow)
        return QString::fromLatin1(kFixedColours[indexOf(row, column)].name);
    if (row < kDividerRow)
        return QString::fromLatin1(SystemColourTable()[indexOf(row - kSystemRow, column)].name);
    if (row == kCustomButtonRow)
        return tr("Selects a custom color");
    return tr("Custom color %1").arg(indexOf(row - kCustomColourRow, column) + 1);
}

QRect CXColourPopup::cellRect(int row, int column) const
{
    return QRect(m_margin + column * m_cellSize, m_margin + row * m_cellSize, m_cellSize, m_cellSize);
}

QString CXColourPopup::toolTipAt(const QPoint& point, QRect* area) const
{
    if (m_customButtonRect.contains(point)) {
        if (area)
            *area = m_customButtonRect;
        return cellName(kCustomButtonRow, 0);
    }
    for (int row = 0; row < kRows; ++row) {
        if (!isColourRow(row))
            continue;
        for (int column = 0; column < kColumns; ++column) {
            if (cellRect(row, column).contains(point)) {
                if (area)
                    *area = cellRect(row, column);
                return cellName(row, column);
            }
        }
    }
    return QString();
}

CXColourPopup::Cell CXColourPopup::cellAt(const QPoint& point) const
{
    if (m_customButtonRect.contains(point))
        return {kCustomButtonRow, 0};
    if (m_dividerRect.contains(point))
        return {kDividerRow, 0};
    // Truncating toward zero, as the cells are counted: a point in the top
    // or left margin belongs to the first row or column.
    const int row = (point.y() - m_margin) / m_cellSize;
    const int column = (point.x() - m_margin) / m_cellSize;
    if (row >= 0 && row < kRows && row != kDividerRow && column >= 0 && column < kColumns)
        return {row, column};
    return {};
}

void CXColourPopup::changeHighlight(Cell cell)
{
    if (!m_highlighted.isNone()) {
        m_highlighted = {};
        update();
    }
    if (cell.isNone())
        return;
    m_highlighted = cell;
    if (cell.row == kDividerRow)
        return;
    update();
    if (cell.row == kCustomButtonRow) {
        emit colourPickChanged(m_initialColour);
    } else {
        m_currentColour = m_colours[indexOf(cell.row, cell.column)] & 0x00FFFFFF;
        emit colourPickChanged(m_currentColour);
    }
}

void CXColourPopup::moveHighlight(int key)
{
    Cell cell = m_highlighted.isNone() ? m_selected : m_highlighted;
    if (cell.isNone()) {
        // Nothing to move from: Down and Right start at the first cell, Up
        // and Left at the last one.
        changeHighlight((key == Qt::Key_Down || key == Qt::Key_Right) ? Cell{0, 0} : Cell{kRows - 1, kColumns - 1});
        return;
    }
    switch (key) {
    case Qt::Key_Down:
        ++cell.row;
        if (cell.row == kDividerRow)
            cell.row = kCustomButtonRow;
        if (cell.row >= kRows)
            cell.row = 0;
        break;
    case Qt::Key_Up:
        --cell.row;
        if (cell.row < 0)
            cell.row = kRows - 1;
        if (cell.row == kDividerRow)
            cell.row = kDividerRow - 1;
        break;
    case Qt::Key_Right:
        cell.column = cell.column == kColumns - 1 ? 0 : cell.column + 1;
        break;
    case Qt::Key_Left:
        cell.column = cell.column == 0 ? kColumns - 1 : cell.column - 1;
        break;
    default:
        return;
    }
    changeHighlight(cell);
}

void CXColourPopup::endSelection(bool accepted)
{
    if (m_finished)
        return;
    if (accepted && m_highlighted.row == kDividerRow)
        return;
    if (accepted && m_highlighted.row == kCustomButtonRow) {
        runCustomColourDialog();
        return;
    }

    QPointer<CXColourPopup> self(this);
    report(accepted);
    if (self)
        close();
}

void CXColourPopup::report(bool accepted)
{
    m_finished = true;
    if (!accepted)
        m_currentColour = m_initialColour;
    m_selected = m_highlighted;
    if (m_customColours) {
        for (int i = 0; i < int(m_customColours->size()); ++i)
            (*m_customColours)[i] = m_colours[kFirstCustomIndex + i];
    }
    if (accepted)
        emit colourPickAccepted(m_currentColour, m_selected.row, m_selected.column);
    else
        emit colourPickCancelled(m_currentColour, m_selected.row, m_selected.column);
}

void CXColourPopup::runCustomColourDialog()
{
    CustomColours custom;
    for (int i = 0; i < int(custom.size()); ++i)
        custom[i] = m_colours[kFirstCustomIndex + i] & 0x00FFFFFF;

    // While a popup is shown it takes every mouse and key event of the
    // application, so the dialog could not be used: step out of the way
    // until it is done.
    QPointer<CXColourPopup> self(this);
    const bool wasVisible = isVisible();
    hide();
    HostColour chosen = m_initialColour;
    const bool confirmed = UiSeam::getColour(m_picker ? m_picker->window() : nullptr, m_initialColour, custom, chosen);
    if (!self || m_finished)
        return;
    if (confirmed) {
        m_currentColour = chosen;
        for (int i = 0; i < int(custom.size()); ++i)
            m_colours[kFirstCustomIndex + i] = custom[i];
    }
    if (wasVisible)
        show();
    update();
}

bool CXColourPopup::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QRect area;
        const QString text = toolTipAt(help->pos(), &area);
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, this, area);
        }
        return true;
    }
    return QWidget::event(event);
}

void CXColourPopup::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Button));
    for (int row = 0; row < kRows; ++row) {
        if (row == kCustomButtonRow) {
            drawCell(painter, row, 0);
            continue;
        }
        for (int column = 0; column < kColumns; ++column)
            drawCell(painter, row, column);
    }
    qDrawWinPanel(&painter, rect(), pal, false);
}

void CXColourPopup::drawCell(QPainter& painter, int row, int column) const
{
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);

    if (row == kDividerRow) {
        // An etched groove across the palette, closed at both ends.
        const QRect groove(m_dividerRect.left(), m_dividerRect.center().y() - 1, m_dividerRect.width(), 4);
        qDrawShadeRect(&painter, groove, pal, true, 1, 0);
        return;
    }

    if (row == kCustomButtonRow) {
        painter.fillRect(m_customButtonRect, face);
        if (m_highlighted.row == kCustomButtonRow)
            qDrawWinPanel(&painter, m_customButtonRect, pal, false);
        painter.setFont(m_textFont);
        painter.setPen(pal.color(QPalette::ButtonText));
        painter.drawText(m_customButtonRect, Qt::AlignCenter | Qt::TextSingleLine, customButtonText());
        return;
    }

    const QRect cell = cellRect(row, column);
    painter.fillRect(cell, face);
    const Cell here{row, column};
    if (here == m_highlighted)
        qDrawWinPanel(&painter, cell, pal, false);
    else if (here == m_selected)
        qDrawWinPanel(&painter, cell, pal, true);

    const int inset = m_margin + 1;
    const QRect swatch = cell.adjusted(inset, inset, -inset, -inset);
    painter.fillRect(swatch, ToQColor(m_colours[indexOf(row, column)]));
    painter.setPen(pal.color(QPalette::Dark));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

void CXColourPopup::mouseMoveEvent(QMouseEvent* event)
{
    if (m_finished)
        return;
    const QPoint point = event->position().toPoint();
    if (point.x() < 0 || point.y() < 0) {
        changeHighlight({});
        return;
    }
    const Cell cell = cellAt(point);
    if (cell.isNone()) {
        changeHighlight({});
        return;
    }
    if (cell != m_highlighted)
        changeHighlight(cell);
}

void CXColourPopup::mousePressEvent(QMouseEvent* event)
{
    // A press does nothing: the release decides. Not passing it on also
    // keeps Qt from closing the popup on a press outside it.
    event->accept();
}

void CXColourPopup::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || m_finished)
        return;
    endSelection(rect().contains(event->position().toPoint()));
}

void CXColourPopup::keyPressEvent(QKeyEvent* event)
{
    if (m_finished) {
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Left:
        moveHighlight(event->key());
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        endSelection(true);
        break;
    case Qt::Key_Escape:
        m_currentColour = m_initialColour;
        endSelection(false);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CXColourPopup::closeEvent(QCloseEvent* event)
{
    // Closed from outside (another application took the focus, the owner
    // went away): the selection ends as cancelled, so the picker hears of it
    // and keeps its custom colours.
    if (!m_finished)
        report(false);
    QWidget::closeEvent(event);
}

} // namespace tavrel

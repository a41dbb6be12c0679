// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/UiSeam.h"
#include "link/HostColour.h"

#include <QFont>
#include <QString>
#include <QWidget>

#include <array>

namespace tavrel {

class CXColourPicker;

// The palette a colour button drops down for one selection: 13 rows of 8
// cells holding 56 named colours, 16 system colours, a divider, a Custom...
// button and the picker's 16 custom colours. The user highlights a cell
// with the mouse or the arrow keys and accepts it with a click or Enter, or
// cancels with Escape or a click outside. When the selection ends the popup
// reports it to its picker, closes and deletes itself.
class CXColourPopup : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 13;
    static constexpr int kColumns = 8;
    static constexpr int kCellCount = kRows * kColumns;
    static constexpr int kSystemRow = 7;
    static constexpr int kDividerRow = 9;
    static constexpr int kCustomButtonRow = 10;
    static constexpr int kCustomColourRow = 11;
    static constexpr int kDefaultCellSize = 18;

    struct Cell {
        int row = -1;
        int column = -1;
        bool isNone() const { return row < 0 || column < 0; }
        friend bool operator==(const Cell& a, const Cell& b) { return a.row == b.row && a.column == b.column; }
        friend bool operator!=(const Cell& a, const Cell& b) { return !(a == b); }
    };

    // Opens at screenPosition (the popup's top-left corner) and shows itself
    // at once with the mouse captured. customColours is the picker's array:
    // it is read now and written back when the selection ends.
    CXColourPopup(HostColour initialColour, CXColourPicker* picker, CustomColours* customColours,
                  const QPoint& screenPosition);
    ~CXColourPopup() override;

    HostColour initialColour() const { return m_initialColour; }
    HostColour currentColour() const { return m_currentColour; }
    Cell highlightedCell() const { return m_highlighted; }
    Cell selectedCell() const { return m_selected; }

    int cellSize() const { return m_cellSize; }
    int margin() const { return m_margin; }
    // The colour a cell offers; 0 for the divider and the Custom... button.
    HostColour cellColour(int row, int column) const;
    // The tooltip of a cell; empty for the divider.
    QString cellName(int row, int column) const;
    QRect cellRect(int row, int column) const;
    QRect customButtonRect() const { return m_customButtonRect; }
    QRect dividerRect() const { return m_dividerRect; }
    // What a tooltip shows at a point of the popup, and the area it covers.
    QString toolTipAt(const QPoint& point, QRect* area = nullptr) const;

    static QString customButtonText();

signals:
    // The highlight moved: the new cell's colour, or the initial colour for
    // the Custom... button.
    void colourPickChanged(tavrel::HostColour colour);
    // The selection ended. colour is the current colour when accepted and the
    // initial colour when cancelled; row and column are the highlighted cell
    // at the end ((-1, -1) when none).
    void colourPickAccepted(tavrel::HostColour colour, int row, int column);
    void colourPickCancelled(tavrel::HostColour colour, int row, int column);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    static int indexOf(int row, int column) { return row * kColumns + column; }
    static bool isColourRow(int row);

    void layOut(const QPoint& screenPosition);
    Cell cellAt(const QPoint& point) const;
    void changeHighlight(Cell cell);
    void moveHighlight(int key);
    void endSelection(bool accepted);
    // Ends the selection: fixes the colour and cell, writes the custom
    // colours back and tells the picker.
    void report(bool accepted);
    void runCustomColourDialog();
    void drawCell(QPainter& painter, int row, int column) const;

    CXColourPicker* m_picker;
    CustomColours* m_customColours;
    std::array<HostColour, kCellCount> m_colours{};

    int m_cellSize = kDefaultCellSize;
    int m_margin = 2;
    HostColour m_initialColour;
    HostColour m_currentColour;
    Cell m_highlighted;
    Cell m_selected;

    QFont m_textFont;
    QRect m_customButtonRect;
    QRect m_dividerRect;
    // Set once the selection has ended and been reported; the window is
    // closing then and takes no more input.
    bool m_finished = false;
};

} // namespace tavrel

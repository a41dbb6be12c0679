// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

class QLineEdit;
class QPushButton;

namespace tavrel {

// "Character Editor": draws one 8 × 8 user character with the mouse and, on
// OK, turns it into the complete Add User Char packet.
//
// The grid is painted straight onto the dialog at a fixed pixel geometry:
// cell (x, y) covers 14 × 14 pixels from (10 + 15x, 10 + 15y), with a
// one-pixel gap of dialog background between cells. Releasing the left
// button on a cell sets it, releasing the right button clears it; moving with
// the left button held sets every cell passed over, with only the right
// button held clears them.
class COledCharEdit : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCells = 8;
    static constexpr int kOrigin = 10;
    static constexpr int kPitch = 15;
    static constexpr int kCellSize = 14;

    explicit COledCharEdit(QWidget* parent = nullptr);

    // The cell that answers to a client position. Each column and row
    // answers to its 14 pixels and the gap pixel after it; column 0 and row 0
    // also to the margin from 0 to 9. Positions outside the client area and
    // from pixel 130 on are off the grid.
    static bool CellAt(const QPoint& position, int& column, int& row);
    // The square painted for a cell, in client pixels.
    static QRect CellRect(int column, int row);

    bool isCellSet(int column, int row) const;

    // One pixel per cell: white is a clear cell, anything else a set one.
    QImage m_cells;
    // The "Character # (0 to 31):" entry as typed.
    QString m_charNumber;
    // Filled by OK: 0x41, the number's low 8 bits, the eight row bytes.
    QByteArray m_userCharPacket;

public slots:
    void accept() override;
    void OnSetAll();
    void OnClearAll();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void setCell(int column, int row, bool set);
    void fillCells(bool set);
    bool cellIs(int column, int row, QRgb colour) const;

    QLineEdit* m_charNumberEdit = nullptr;
    QPushButton* m_okButton = nullptr;
    bool m_pushed = false;
};

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>

namespace tavrel {

class TrafficHistory;
struct TrafficEntry;

// The committed entries of a traffic history as table rows, oldest first.
// The rows follow the history only when sync() runs, so that a burst of
// traffic costs the view one update instead of one per entry.
class TrafficTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TimeColumn, SinceOpenColumn, DirectionColumn, LabelColumn, HexColumn, AsciiColumn, ColumnCount };
    // Rows show at most this many bytes; Copy and Save write them all.
    static constexpr int kShownBytes = 64;

    explicit TrafficTableModel(TrafficHistory& history, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Brings the rows up to date with the history; returns how many rows
    // went from the top (oldest entries dropped or cleared).
    int sync();
    // The history's number of the entry in that row.
    qint64 sequenceAt(int row) const { return m_first + row; }

private:
    const TrafficEntry* entryAt(int row) const;

    TrafficHistory& m_history;
    qint64 m_first = 0;  // rows hold entries [m_first, m_end)
    qint64 m_end = 0;
};

} // namespace tavrel

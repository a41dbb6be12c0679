// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/dialogs/TrafficTableModel.h"

#include "link/TrafficHistory.h"
#include "link/TrafficLine.h"
#include "widgets/SystemColours.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace tavrel {

namespace {

// Sent and received told apart at a glance; anything else stays quiet
// unless it is a time-out or a lost device. On a dark background the same
// hues, lighter.
QColor KindColour(TrafficKind kind, bool dark)
{
    switch (kind) {
    case TrafficKind::Sent: return dark ? QColor(0x7f, 0xaa, 0xff) : QColor(0x1f, 0x4f, 0xbf);
    case TrafficKind::Received: return dark ? QColor(0x6c, 0xd6, 0x87) : QColor(0x1a, 0x7f, 0x37);
    case TrafficKind::TimedOut:
    case TrafficKind::Lost: return dark ? QColor(0xff, 0x80, 0x70) : QColor(0xb4, 0x23, 0x18);
    case TrafficKind::Purged:
    case TrafficKind::Opened:
    case TrafficKind::Closed: break;
    }
    return dark ? QColor(0xa8, 0xa8, 0xa8) : QColor(0x70, 0x70, 0x70);
}

QString MoreBytesText(int hidden)
{
    return QStringLiteral(" \u2026 (+%1 bytes)").arg(hidden);
}

} // namespace

TrafficTableModel::TrafficTableModel(TrafficHistory& history, QObject* parent)
    : QAbstractTableModel(parent)
    , m_history(history)
{
    m_first = m_end = history.firstSequence();
    sync();
}

int TrafficTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_end - m_first);
}

int TrafficTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const TrafficEntry* TrafficTableModel::entryAt(int row) const
{
    return m_history.entry(sequenceAt(row));
}

QVariant TrafficTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const TrafficEntry* entry = entryAt(index.row());
    if (!entry)
        return QVariant();
    if (role == Qt::ForegroundRole)
        return KindColour(entry->kind, IsDarkBackground(QGuiApplication::palette().color(QPalette::Base)));
    if (role == Qt::ToolTipRole && index.column() == LabelColumn)
        return entry->label;
    if (role != Qt::DisplayRole)
        return QVariant();
    const int hidden = std::max(0, int(entry->bytes.size()) - kShownBytes);
    switch (index.column()) {
    case TimeColumn: return TrafficTimeText(entry->wallMs);
    case SinceOpenColumn: return QStringLiteral("+%1").arg(entry->sinceOpenMs);
    case DirectionColumn: return TrafficDirectionText(entry->kind);
    case LabelColumn: return entry->label;
    case HexColumn:
        return TrafficHexText(entry->bytes.left(kShownBytes)) + (hidden > 0 ? MoreBytesText(hidden) : QString());
    case AsciiColumn:
        return TrafficAsciiText(entry->bytes.left(kShownBytes)) + (hidden > 0 ? QStringLiteral("\u2026") : QString());
    default: return QVariant();
    }
}

QVariant TrafficTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case TimeColumn: return tr("Time");
    case SinceOpenColumn: return tr("+ms");
    case DirectionColumn: return QString();
    case LabelColumn: return tr("Label");
    case HexColumn: return tr("Bytes");
    case AsciiColumn: return tr("ASCII");
    default: return QVariant();
    }
}

int TrafficTableModel::sync()
{
    const qint64 first = m_history.firstSequence();
    const qint64 end = m_history.committedEnd();
    int removed = 0;
    if (first > m_first) {
        removed = int(std::min(first, m_end) - m_first);
        if (removed > 0) {
            beginRemoveRows(QModelIndex(), 0, removed - 1);
            m_first += removed;
            endRemoveRows();
        }
        // Everything shown went, and more: start again where the history is.
        m_first = std::max(m_first, first);
        m_end = std::max(m_end, m_first);
    }
    if (end > m_end) {
        beginInsertRows(QModelIndex(), int(m_end - m_first), int(end - m_first) - 1);
        m_end = end;
        endInsertRows();
    }
    return removed;
}

} // namespace tavrel

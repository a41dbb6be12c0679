// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/dialogs/CTrafficWindow.h"

#include "link/TrafficFile.h"
#include "link/TrafficHistory.h"
#include "link/TrafficLine.h"
#include "link/dialogs/TrafficTableModel.h"
#include "widgets/UiSeam.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace tavrel {

namespace {

// New entries reach the view at most this often, however fast they come.
constexpr int kSyncIntervalMs = 40;

QPushButton* MakeButton(const QString& text, const char* objectName, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}

} // namespace

CTrafficWindow::CTrafficWindow(TrafficHistory& history, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_history(history)
{
    setObjectName(QStringLiteral("trafficWindow"));
    setWindowTitle(tr("Traffic History"));

    m_model = new TrafficTableModel(history, this);
    m_view = new QTreeView(this);
    m_view->setObjectName(QStringLiteral("trafficView"));
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setItemsExpandable(false);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_view->setTextElideMode(Qt::ElideRight);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_view->setFont(fixed);

    // Column widths from the font, not from the rows: measuring 100,000
    // rows would take longer than showing them.
    const QFontMetrics metrics(fixed);
    auto chars = [&](int n) { return metrics.horizontalAdvance(QString(n, QLatin1Char('0'))) + 12; };
    QHeaderView* header = m_view->header();
    header->setStretchLastSection(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(TrafficTableModel::TimeColumn, chars(12));
    header->resizeSection(TrafficTableModel::SinceOpenColumn, chars(8));
    header->resizeSection(TrafficTableModel::DirectionColumn, chars(2));
    header->resizeSection(TrafficTableModel::LabelColumn, chars(26));
    header->resizeSection(TrafficTableModel::HexColumn, chars(3 * 16));

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("trafficCount"));
    auto* copy = MakeButton(tr("Copy"), "copyButton", this);
    auto* clear = MakeButton(tr("Clear"), "clearButton", this);
    m_save = MakeButton(tr("Save\u2026"), "saveButton", this);
    auto* close = MakeButton(tr("Close"), "closeButton", this);
    copy->setToolTip(tr("Copy the selected entries, or all of them when none is selected"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_count, 1);
    buttons->addWidget(copy);
    buttons->addWidget(clear);
    buttons->addWidget(m_save);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);

    connect(copy, &QPushButton::clicked, this, &CTrafficWindow::copyToClipboard);
    connect(clear, &QPushButton::clicked, this, &CTrafficWindow::clearHistory);
    connect(m_save, &QPushButton::clicked, this, &CTrafficWindow::saveToFile);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* copyKey = new QShortcut(QKeySequence::Copy, m_view);
    copyKey->setContext(Qt::WidgetShortcut);
    connect(copyKey, &QShortcut::activated, this, &CTrafficWindow::copyToClipboard);
    auto* saveKey = new QShortcut(QKeySequence::Save, this);
    connect(saveKey, &QShortcut::activated, this, &CTrafficWindow::saveToFile);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    m_syncTimer.setSingleShot(true);
    m_syncTimer.setInterval(kSyncIntervalMs);
    connect(&m_syncTimer, &QTimer::timeout, this, &CTrafficWindow::syncNow);
    connect(&history, &TrafficHistory::committed, this, &CTrafficWindow::scheduleSync);
    connect(&history, &TrafficHistory::trimmed, this, &CTrafficWindow::scheduleSync);

    resize(chars(120), metrics.height() * 24);
    m_view->scrollToBottom();
    showCount();
}

CTrafficWindow::~CTrafficWindow() = default;

void CTrafficWindow::scheduleSync()
{
    if (!m_syncTimer.isActive())
        m_syncTimer.start();
}

void CTrafficWindow::syncNow()
{
    m_syncTimer.stop();
    QScrollBar* bar = m_view->verticalScrollBar();
    const bool following = newestEntryInView();
    const int removed = m_model->sync();
    if (following) {
        // scrollTo() lays the new rows out first; the scroll bar alone may
        // not know of them yet.
        if (const int rows = m_model->rowCount(); rows > 0)
            m_view->scrollTo(m_model->index(rows - 1, 0), QAbstractItemView::PositionAtBottom);
    } else if (removed > 0) {
        // Keep the entries the user is reading where they are.
        bar->setValue(std::max(0, bar->value() - removed));
    }
    showCount();
}

bool CTrafficWindow::newestEntryInView() const
{
    // Judged by the row itself, not by the scroll bar, whose range lags
    // behind rows that have not been laid out yet.
    const int rows = m_model->rowCount();
    if (rows == 0)
        return true;
    const QRect newest = m_view->visualRect(m_model->index(rows - 1, 0));
    return newest.isValid() && m_view->viewport()->rect().intersects(newest);
}

void CTrafficWindow::showCount()
{
    const int rows = m_model->rowCount();
    QString text = rows == 1 ? tr("1 entry") : tr("%1 entries").arg(rows);
    if (!m_lastNote.isEmpty())
        text += QStringLiteral("  \u2014  ") + m_lastNote;
    m_count->setText(text);
}

void CTrafficWindow::setTransferRunning(bool running)
{
    m_save->setEnabled(!running);
    m_save->setToolTip(running ? tr("Saving waits until the transfer has ended") : QString());
}

QString CTrafficWindow::copyText() const
{
    QModelIndexList rows = m_view->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return FormatTrafficLines(m_history, m_model->sequenceAt(0), m_model->sequenceAt(m_model->rowCount()));
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QString text;
    for (const QModelIndex& row : rows) {
        const qint64 sequence = m_model->sequenceAt(row.row());
        text += FormatTrafficLines(m_history, sequence, sequence + 1);
    }
    return text;
}

void CTrafficWindow::copyToClipboard()
{
    QGuiApplication::clipboard()->setText(copyText());
}

void CTrafficWindow::clearHistory()
{
    m_history.clear();
    m_lastNote.clear();
    syncNow();
}

void CTrafficWindow::saveToFile()
{
    if (!m_save->isEnabled())
        return;
    syncNow();
    const QString path = UiSeam::getSaveFileName(this, tr("Save Traffic History"), QStringLiteral("traffic.txt"),
                                                 tr("Text Files (*.txt);;All Files (*)"));
    if (path.isEmpty())
        return;
    const int entries = m_model->rowCount();
    const QString failure = SaveTrafficLines(m_history, path);
    if (!failure.isEmpty()) {
        UiSeam::showMessage(this,
                            tr("The traffic history could not be saved to %1: %2. "
                               "A file of that name was left as it was.")
                                .arg(path, failure),
                            QStringLiteral("Tavrel"));
        return;
    }
    m_lastNote = tr("saved %1 entries to %2").arg(entries).arg(path);
    showCount();
}

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
class QTreeView;

namespace tavrel {

class TrafficHistory;
class TrafficTableModel;

// "Traffic History": a window of its own beside the panel with one line per
// entry of the session's traffic history, sent and received in their own
// colours and arrows. It follows new entries while the newest one is in
// view, and stays where it is once the user scrolls up. Copy puts the
// selected entries (or all) on the clipboard, Save... writes them all to a
// text file, both in the lines tavrel-cli --trace prints; Clear forgets them.
class CTrafficWindow : public QWidget {
    Q_OBJECT
public:
    explicit CTrafficWindow(TrafficHistory& history, QWidget* parent = nullptr);
    ~CTrafficWindow() override;

    // While a transfer runs the window keeps showing and scrolling, but
    // Save... waits: its file dialog would hold the transfer up.
    void setTransferRunning(bool running);

    // Takes in what the history committed since the last update (normally
    // done a moment after it happened).
    void syncNow();

    // The text Copy puts on the clipboard.
    QString copyText() const;
    void copyToClipboard();
    void clearHistory();
    // Asks for a file name through the UI seam and writes the lines there;
    // a failure is shown with the system's reason.
    void saveToFile();

private:
    void scheduleSync();
    void showCount();
    // Whether the newest row is visible, or there is none: then
    // new entries are followed.
    bool newestEntryInView() const;

    TrafficHistory& m_history;
    TrafficTableModel* m_model = nullptr;
    QTreeView* m_view = nullptr;
    QLabel* m_count = nullptr;
    QPushButton* m_save = nullptr;
    QTimer m_syncTimer;
    QString m_lastNote;
};

} // namespace tavrel

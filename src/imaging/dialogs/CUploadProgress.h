// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QProgressBar;
class QWidget;

namespace tavrel {

// Shows how far a long transfer has got in a progress bar on the panel and
// keeps the panel painting meanwhile. While it runs the panel takes no
// input: clicks, keys and the close box are swallowed rather than queued,
// so no other command can start in the middle of the transfer or right
// after it.
class CUploadProgress : public QObject {
    Q_OBJECT
public:
    // `geometry` is where the bar goes on the panel.
    CUploadProgress(QWidget* panel, const QRect& geometry);
    ~CUploadProgress() override;

    // done of total steps; the transfer counts as running from the first
    // report until finish() or done == total.
    void report(const QString& what, int done, int total);
    void finish();
    bool isRunning() const { return m_running; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_panel;
    QPointer<QProgressBar> m_bar;
    bool m_running = false;
};

} // namespace tavrel

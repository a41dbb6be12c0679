// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace tavrel {

// A small round lamp beside the port label: lit green while the port is
// open, an empty ring while it is closed, an amber ring while a port that
// went away is being watched for. Its tooltip says which.
class PortStateLamp : public QWidget {
    Q_OBJECT
public:
    explicit PortStateLamp(QWidget* parent = nullptr);

    void setOpen(bool open);
    bool isOpen() const { return m_open; }
    // A lost port is watched for; shown only while the port is not open.
    void setWaiting(bool waiting);
    bool isWaiting() const { return m_waiting; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showState();

    bool m_open = false;
    bool m_waiting = false;
};

} // namespace tavrel

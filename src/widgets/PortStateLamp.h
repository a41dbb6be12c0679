#pragma once

#include <QWidget>

namespace tavrel {

// A small round lamp beside the port label: lit green while the port is
// open, an empty ring while it is closed. Its tooltip says which.
class PortStateLamp : public QWidget {
    Q_OBJECT
public:
    explicit PortStateLamp(QWidget* parent = nullptr);

    void setOpen(bool open);
    bool isOpen() const { return m_open; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_open = false;
};

} // namespace tavrel

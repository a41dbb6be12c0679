// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QAction;

namespace quennel {

class Emulator;

// Shows what the emulated module's glass shows, each module pixel as a
// scale x scale block inside a thin bezel, with a status line naming the
// module pixel under the mouse. "Save Frame..." (context menu, Ctrl+S) asks
// the owner's path chooser for a file name; without a chooser it is disabled.
class EmulatorWindow : public QWidget {
    Q_OBJECT
public:
    // Returns the path to save the frame to, or an empty text to cancel.
    using PathChooser = std::function<QString(QWidget* parent)>;

    static constexpr int kDefaultScale = 4;
    static constexpr int kBezel = 6;

    explicit EmulatorWindow(Emulator* emulator, QWidget* parent = nullptr);

    void setScale(int scale);
    int scale() const { return m_scale; }

    void setSaveFramePathChooser(PathChooser chooser);
    QAction* saveFrameAction() const { return m_saveAction; }

    // The module pixel shown at a widget position, or (-1, -1) off the display.
    QPoint modulePixelAt(const QPoint& widgetPos) const;
    // The status line's current text.
    QString statusText() const { return m_status; }
    // The tool tip: the folder that stands in for the SD card, or that there
    // is none.
    QString cardToolTip() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QRect displayRect() const;
    int statusHeight() const;
    void setStatus(const QString& text);
    void saveFrame();

    QPointer<Emulator> m_emulator;
    int m_scale = kDefaultScale;
    PathChooser m_chooser;
    QAction* m_saveAction = nullptr;
    QString m_status;
};

} // namespace quennel

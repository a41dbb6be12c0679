// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScrollArea>

class QScreen;
class QWidget;

namespace tavrel {

// A frameless scroll area that asks for all the room its content wants, so
// that a window shows the whole content wherever the screen has room, and
// scrolls only where a window had to be made smaller than that to fit.
class FittingScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit FittingScrollArea(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    // The content's layout changed: so does the room this asks for.
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The size a window of the wanted (client) size may have on its screen:
// no larger than the screen's available area less the window frame.
QSize SizeFittingScreen(const QWidget* window, const QSize& wanted);
// What the frame adds to a window's size; while a window has not been
// shown yet, a usual title bar and border are assumed.
QSize FrameExtra(const QWidget* window);

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "emulator/CardPictures.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

namespace quennel {

struct ModuleState;

// Plays a slideshow data file from the card: the first frame at once, then
// one frame per delay on a timer, in the background, until the last frame
// has been shown. The module keeps executing commands meanwhile; a new
// slideshow, a reset or the end of the emulator stops the old one.
class SlideshowPlayer : public QObject {
    Q_OBJECT
public:
    // `file` is the whole data file, its header already checked with
    // readImageDataHeader and holding at least one whole frame.
    SlideshowPlayer(ModuleState& state, int x, int y, int delayMs, QByteArray file, const ImageDataHeader& header);

    int frameCount() const { return m_frameCount; }
    // The frame on the display now (0 before the first advance()).
    int currentFrame() const { return m_current; }
    bool isPlaying() const { return m_timer.isActive(); }

    // Draws the first frame and starts the timer for the others.
    void start();
    // Draws the next frame; false when the last one is already shown.
    bool advance();

    // Frames a file of `size` bytes holds under `header` (a partial frame at
    // the end does not count).
    static int framesIn(qint64 size, const ImageDataHeader& header);

private:
    void drawFrame(int index);
    void onTimer();

    ModuleState& m_state;
    int m_x;
    int m_y;
    QByteArray m_file;
    ImageDataHeader m_header;
    int m_frameCount = 0;
    int m_current = 0;
    QTimer m_timer;
};

} // namespace quennel

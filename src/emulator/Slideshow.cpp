// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/Slideshow.h"

#include "emulator/ModuleState.h"

namespace quennel {

SlideshowPlayer::SlideshowPlayer(ModuleState& state, int x, int y, int delayMs, QByteArray file,
                                 const ImageDataHeader& header)
    : m_state(state)
    , m_x(x)
    , m_y(y)
    , m_file(std::move(file))
    , m_header(header)
    , m_frameCount(framesIn(m_file.size(), header))
{
    // A delay of 0 still lets the rest of the program run between frames.
    m_timer.setInterval(qMax(1, delayMs));
    connect(&m_timer, &QTimer::timeout, this, &SlideshowPlayer::onTimer);
}

int SlideshowPlayer::framesIn(qint64 size, const ImageDataHeader& header)
{
    const qint64 frameBytes = header.frameBytes();
    if (frameBytes <= 0 || size < 3)
        return 0;
    return int((size - 3) / frameBytes);
}

void SlideshowPlayer::drawFrame(int index)
{
    Canvas canvas(m_state.frame, m_state.pen.orientation);
    drawImageFrame(canvas, m_x, m_y, m_header, m_file.constData() + 3 + index * m_header.frameBytes());
    m_current = index;
}

void SlideshowPlayer::start()
{
    if (m_frameCount <= 0)
        return;
    drawFrame(0);
    if (m_frameCount > 1)
        m_timer.start();
}

bool SlideshowPlayer::advance()
{
    if (m_current + 1 >= m_frameCount) {
        m_timer.stop();
        return false;
    }
    drawFrame(m_current + 1);
    if (m_current + 1 >= m_frameCount)
        m_timer.stop();
    return true;
}

void SlideshowPlayer::onTimer()
{
    const quint32 before = m_state.frame.revision();
    advance();
    if (m_state.frame.revision() != before && m_state.changedInBackground)
        m_state.changedInBackground();
}

} // namespace quennel

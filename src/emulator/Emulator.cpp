// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/Emulator.h"

#include "emulator/CommandFramer.h"
#include "emulator/CommandHandlers.h"
#include "emulator/ModuleState.h"

#include <QSaveFile>
#include <QTimer>

namespace quennel {

namespace {

constexpr qsizetype kFeedSlice = 64 * 1024;

} // namespace

static_assert(Emulator::kWidth == FrameBuffer::kWidth && Emulator::kHeight == FrameBuffer::kHeight,
              "the emulator and its frame buffer must agree on the panel size");

Emulator::Emulator(QObject* parent)
    : QObject(parent)
    , m_state(std::make_unique<ModuleState>())
    , m_framer(std::make_unique<CommandFramer>())
    , m_scrollTimer(new QTimer(this))
{
    connect(m_scrollTimer, &QTimer::timeout, this, &Emulator::stepScroll);
    // Background changes (slideshow frames) are announced from the event
    // loop, never from inside the timer that made them.
    m_state->changedInBackground = [this] {
        QMetaObject::invokeMethod(this, [this] { emit frameChanged(); }, Qt::QueuedConnection);
    };
}

Emulator::~Emulator() = default;

QByteArray Emulator::feed(const QByteArray& bytes)
{
    const quint32 frameBefore = m_state->frame.revision();
    const quint32 glassBefore = m_state->glassRevision;

    // The framer is handed the input a slice at a time, so it never holds
    // more than a slice and one partial command, however large the input.
    QByteArray reply;
    for (qsizetype from = 0; from < bytes.size(); from += kFeedSlice) {
        const qsizetype length = qMin<qsizetype>(kFeedSlice, bytes.size() - from);
        m_framer->append(QByteArray::fromRawData(bytes.constData() + from, length));
        for (;;) {
            const CommandFramer::Step step = m_framer->next();
            if (step.outcome == CommandFramer::Outcome::NeedMore)
                break;
            if (step.outcome == CommandFramer::Outcome::Error)
                reply.append(step.errors, kError);
            else
                handlerFor(step.id)(*m_state, step.packet, reply);
        }
    }

    syncScrollTimer();
    if (m_state->frame.revision() != frameBefore || m_state->glassRevision != glassBefore)
        emit frameChanged();
    return reply;
}

quint16 Emulator::pixel(int x, int y) const
{
    return m_state->frame.at(x, y);
}

const QVector<quint16>& Emulator::frame() const
{
    return m_state->frame.pixels();
}

QImage Emulator::displayImage() const
{
    return renderGlass(m_state->frame, m_state->glass);
}

quint16 Emulator::backgroundColour() const
{
    return m_state->background;
}

bool Emulator::saveFrame(const QString& path, QString* errorText) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    if (!displayImage().save(&file, "PNG")) {
        file.cancelWriting();
        if (errorText)
            *errorText = QStringLiteral("could not encode the frame as PNG");
        return false;
    }
    if (!file.commit()) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    return true;
}

void Emulator::reset()
{
    const QImage before = displayImage();
    const QString card = m_state->cardDirectory;
    const auto changedInBackground = m_state->changedInBackground;
    // Assigned in place so references handed out by frame() stay valid.
    *m_state = ModuleState();
    m_state->cardDirectory = card;
    m_state->changedInBackground = changedInBackground;
    m_framer->clear();
    syncScrollTimer();
    if (displayImage() != before)
        emit frameChanged();
}

void Emulator::setCardDirectory(const QString& path)
{
    m_state->cardDirectory = path;
}

QString Emulator::cardDirectory() const
{
    return m_state->cardDirectory;
}

void Emulator::stepScroll()
{
    const QImage before = displayImage();
    if (advanceScroll(m_state->glass.scroll) && displayImage() != before) {
        ++m_state->glassRevision;
        emit frameChanged();
    }
}

bool Emulator::isScrolling() const
{
    return m_scrollTimer->isActive();
}

void Emulator::syncScrollTimer()
{
    const ScrollState& scroll = m_state->glass.scroll;
    if (!scroll.enabled) {
        m_scrollTimer->stop();
        return;
    }
    const int interval = scrollIntervalMs(scroll.speed);
    if (!m_scrollTimer->isActive() || m_scrollTimer->interval() != interval)
        m_scrollTimer->start(interval);
}

} // namespace quennel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>
#include <QVector>

#include <memory>

class QTimer;

namespace quennel {

class CommandFramer;
struct ModuleState;

// The emulated Quennel module: executes the command byte stream into a
// 96 x 64 RGB565 frame buffer and produces the replies the module sends.
// Bytes may arrive in any split; a partial command waits for the rest.
class Emulator : public QObject {
    Q_OBJECT
public:
    static constexpr int kWidth = 96;
    static constexpr int kHeight = 64;

    explicit Emulator(QObject* parent = nullptr);
    ~Emulator() override;

    // Feeds bytes received on the line; returns the reply bytes to send back.
    QByteArray feed(const QByteArray& bytes);

    // The frame buffer as the controller holds it (RGB565), row by row.
    quint16 pixel(int x, int y) const;
    const QVector<quint16>& frame() const;
    // What the glass shows right now, as 96 x 64 RGB888.
    QImage displayImage() const;

    // The colour Clear Screen fills with (RGB565).
    quint16 backgroundColour() const;

    // Writes displayImage() as a PNG, pixel for pixel. The file is replaced
    // atomically (written aside, then renamed over the old one).
    bool saveFrame(const QString& path, QString* errorText = nullptr) const;

    // Back to power-on state: black frame and background, no partial command.
    // The card folder is kept.
    void reset();

    // Folder that stands in for the SD card.
    void setCardDirectory(const QString& path);
    QString cardDirectory() const;

    // While scrolling is enabled a timer takes one scroll step every 40 to
    // 320 ms, by the scroll speed. stepScroll() takes a step at once, as the
    // timer does; isScrolling() tells whether the timer runs.
    void stepScroll();
    bool isScrolling() const;

signals:
    // Something visible changed (a pixel, the whole screen, a display setting).
    // Emitted at most once per feed(), after all its commands ran, and once
    // per scroll step that moved the picture.
    void frameChanged();

private:
    std::unique_ptr<ModuleState> m_state;
    std::unique_ptr<CommandFramer> m_framer;
    QTimer* m_scrollTimer;

    // Starts, stops or retimes the scroll timer to match the module state.
    void syncScrollTimer();
};

} // namespace quennel

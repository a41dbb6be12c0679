// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/window/EmulatorWindow.h"

#include "emulator/Emulator.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace quennel {

EmulatorWindow::EmulatorWindow(Emulator* emulator, QWidget* parent)
    : QWidget(parent)
    , m_emulator(emulator)
{
    setWindowTitle(QStringLiteral("Quennel Emulator"));
    setMouseTracking(true);

    m_saveAction = new QAction(QStringLiteral("Save Frame..."), this);
    m_saveAction->setShortcut(QKeySequence::Save);
    m_saveAction->setShortcutContext(Qt::WindowShortcut);
    m_saveAction->setEnabled(false);
    connect(m_saveAction, &QAction::triggered, this, &EmulatorWindow::saveFrame);
    addAction(m_saveAction);

    if (m_emulator) {
        connect(m_emulator, &Emulator::frameChanged, this, qOverload<>(&QWidget::update));
    }
    setStatus(QString());
}

QString EmulatorWindow::cardToolTip() const
{
    const QString folder = m_emulator ? m_emulator->cardDirectory() : QString();
    if (folder.isEmpty())
        return QStringLiteral("No SD card: card commands answer with an error.");
    return QStringLiteral("SD card folder: %1").arg(QDir::toNativeSeparators(folder));
}

bool EmulatorWindow::event(QEvent* event)
{
    // Asked for when shown, so the text follows the card folder the emulator
    // has at that moment.
    if (event->type() == QEvent::ToolTip) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), cardToolTip(), this);
        return true;
    }
    return QWidget::event(event);
}

void EmulatorWindow::setScale(int scale)
{
    scale = qBound(1, scale, 32);
    if (scale == m_scale)
        return;
    m_scale = scale;
    updateGeometry();
    if (isWindow())
        resize(sizeHint());
    update();
}

void EmulatorWindow::setSaveFramePathChooser(PathChooser chooser)
{
    m_chooser = std::move(chooser);
    m_saveAction->setEnabled(bool(m_chooser));
}

int EmulatorWindow::statusHeight() const
{
    return fontMetrics().height() + 4;
}

QRect EmulatorWindow::displayRect() const
{
    const QSize display(Emulator::kWidth * m_scale, Emulator::kHeight * m_scale);
    // Centred in the area above the status line.
    const int areaHeight = height() - statusHeight();
    const int left = qMax(kBezel, (width() - display.width()) / 2);
    const int top = qMax(kBezel, (areaHeight - display.height()) / 2);
    return QRect(QPoint(left, top), display);
}

QSize EmulatorWindow::sizeHint() const
{
    return QSize(Emulator::kWidth * m_scale + 2 * kBezel,
                 Emulator::kHeight * m_scale + 2 * kBezel + statusHeight());
}

QSize EmulatorWindow::minimumSizeHint() const
{
    return sizeHint();
}

QPoint EmulatorWindow::modulePixelAt(const QPoint& widgetPos) const
{
    const QRect rect = displayRect();
    if (!rect.contains(widgetPos))
        return QPoint(-1, -1);
    return QPoint((widgetPos.x() - rect.left()) / m_scale, (widgetPos.y() - rect.top()) / m_scale);
}

void EmulatorWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x20, 0x20, 0x24));

    const QRect display = displayRect();
    painter.fillRect(display.adjusted(-kBezel, -kBezel, kBezel, kBezel), QColor(0x0A, 0x0A, 0x0C));
    painter.setPen(QColor(0x50, 0x50, 0x58));
    painter.drawRect(display.adjusted(-kBezel, -kBezel, kBezel - 1, kBezel - 1));

    if (m_emulator) {
        // Integer scaling with FastTransformation copies each pixel into an
        // exact block; no smoothing blurs the module's pixels.
        const QImage image = m_emulator->displayImage().scaled(display.size(), Qt::IgnoreAspectRatio,
                                                               Qt::FastTransformation);
        painter.drawImage(display.topLeft(), image);
    }

    // The window is dark whatever the desktop's colours: light grey text.
    painter.setPen(QColor(0xd0, 0xd0, 0xd4));
    const QRect statusRect(0, height() - statusHeight(), width(), statusHeight());
    painter.drawText(statusRect.adjusted(kBezel, 0, -kBezel, 0), Qt::AlignLeft | Qt::AlignVCenter, m_status);
}

void EmulatorWindow::setStatus(const QString& text)
{
    if (text == m_status)
        return;
    m_status = text;
    update(0, height() - statusHeight(), width(), statusHeight());
}

void EmulatorWindow::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pixel = modulePixelAt(event->position().toPoint());
    setStatus(pixel.x() < 0 ? QString() : QStringLiteral("x %1, y %2").arg(pixel.x()).arg(pixel.y()));
    QWidget::mouseMoveEvent(event);
}

void EmulatorWindow::leaveEvent(QEvent* event)
{
    setStatus(QString());
    QWidget::leaveEvent(event);
}

void EmulatorWindow::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(m_saveAction);
    menu.exec(event->globalPos());
}

void EmulatorWindow::saveFrame()
{
    if (!m_chooser || !m_emulator)
        return;
    const QString path = m_chooser(this);
    if (path.isEmpty())
        return;
    QString error;
    if (m_emulator->saveFrame(path, &error))
        setStatus(QStringLiteral("Saved %1").arg(path));
    else
        setStatus(QStringLiteral("Could not save %1: %2").arg(path, error));
}

} // namespace quennel

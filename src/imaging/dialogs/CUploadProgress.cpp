// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/dialogs/CUploadProgress.h"

#include <QApplication>
#include <QEvent>
#include <QProgressBar>
#include <QWidget>

namespace tavrel {

CUploadProgress::CUploadProgress(QWidget* panel, const QRect& geometry)
    : QObject(panel)
    , m_panel(panel)
{
    m_bar = new QProgressBar(panel);
    m_bar->setObjectName(QStringLiteral("transferProgress"));
    m_bar->setGeometry(geometry);
    m_bar->setTextVisible(true);
    m_bar->hide();
}

CUploadProgress::~CUploadProgress()
{
    if (m_running)
        qApp->removeEventFilter(this);
}

void CUploadProgress::report(const QString& what, int done, int total)
{
    if (!m_bar)
        return;
    if (!m_running) {
        m_running = true;
        qApp->installEventFilter(this);
        m_bar->show();
        m_bar->raise();
    }
    m_bar->setRange(0, qMax(1, total));
    m_bar->setValue(qBound(0, done, qMax(1, total)));
    m_bar->setFormat(QStringLiteral("%1: %p%").arg(what));
    if (done >= total) {
        finish();
        return;
    }
    // Paint the bar (and anything else that waits) without taking input.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void CUploadProgress::finish()
{
    if (!m_running)
        return;
    m_running = false;
    qApp->removeEventFilter(this);
    if (m_bar)
        m_bar->hide();
}

bool CUploadProgress::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_running)
        return false;
    // Shortcuts are delivered to their QShortcut, whose parent is a widget.
    QObject* owner = watched->isWidgetType() ? watched : watched->parent();
    if (!owner || !owner->isWidgetType() || static_cast<QWidget*>(owner)->window() != m_panel)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Close:
        event->ignore();
        return true;
    default:
        return false;
    }
}

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's size on small screens, the windows beside it (the
// manual, the traffic history, the emulator's display) and where they all
// stood last time.

#include "app/CTavrelDlg.h"

#include "app/CHelpWindow.h"
#include "app/PanelSettings.h"
#include "app/WindowPlacement.h"
#include "emulator/window/EmulatorWindow.h"
#include "link/dialogs/CTrafficWindow.h"
#include "widgets/DialogUnits.h"
#include "widgets/FittingScrollArea.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>

namespace tavrel {

namespace {

// True when the frame lies whole on one of the screens' free areas.
bool OnAScreen(const QRect& frame)
{
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(frame))
            return true;
    return false;
}

} // namespace

CHelpWindow* CTavrelDlg::helpWindow() const
{
    return m_help;
}

QString CTavrelDlg::helpSectionFor(const QWidget* window)
{
    for (const QWidget* w = window; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
        const QString section = CHelpWindow::sectionForWindow(w->windowTitle());
        if (!section.isEmpty())
            return section;
    }
    return CHelpWindow::sectionForWindow(QStringLiteral("Quennel Control"));
}

void CTavrelDlg::showHelp(const QString& section, QWidget* inFront)
{
    const bool first = !m_help;
    if (first)
        m_help = new CHelpWindow(this);
    // A modal dialog blocks every window but its own: the manual becomes
    // one of them while the dialog is up.
    lendHelpTo(inFront && inFront != this && inFront->isModal() ? inFront : this);
    if (first) {
        m_help->resize(m_help->size().boundedTo(SizeFittingScreen(m_help, m_help->size())));
        restoreWindowPlace(m_help, QStringLiteral("help"), true);
    }
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
    m_help->showSection(section);
}

void CTavrelDlg::lendHelpTo(QWidget* owner)
{
    if (!m_help || m_help->parentWidget() == owner)
        return;
    const bool shown = m_help->isVisible();
    const QPoint at = m_help->pos();
    m_help->setParent(owner, Qt::Window);
    if (shown) {
        m_help->move(at);
        m_help->show();
    }
}

bool CTavrelDlg::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !watched->isWidgetType())
            break;
        QWidget* window = static_cast<QWidget*>(watched)->window();
        // Only the windows of this panel: its dialogs, the windows it opened.
        bool ours = window == m_emulatorWindow.get();
        for (QWidget* w = window; w && !ours; w = w->parentWidget())
            ours = w == this;
        if (!ours)
            break;
        showHelp(helpSectionFor(window), window);
        return true;
    }
    case QEvent::Hide:
        // The dialog the manual was lent to is closing: it goes back to the
        // window under it.
        if (m_help && watched == m_help->parentWidget() && watched != this) {
            QWidget* under = static_cast<QWidget*>(watched)->parentWidget();
            under = under ? under->window() : this;
            lendHelpTo(under->isVisible() && under->isModal() ? under : this);
        }
        break;
    case QEvent::Move:
        // The user moved one of the two windows beside the panel.
        if (!m_placingWindows && watched->isWidgetType()
            && (watched == m_trafficWindow.get() || watched == m_emulatorWindow.get())
            && static_cast<QWidget*>(watched)->isVisible()) {
            m_movedCompanion = static_cast<QWidget*>(watched);
            m_keepApartTimer->start();
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void CTavrelDlg::keepCompanionsApart()
{
    QWidget* moved = m_movedCompanion;
    m_movedCompanion = nullptr;
    QWidget* traffic = m_trafficWindow.get();
    QWidget* display = m_emulatorWindow.get();
    if (!moved || !traffic || !display || !traffic->isVisible() || !display->isVisible()
        || !traffic->frameGeometry().intersects(display->frameGeometry()) || !screen())
        return;
    const int gap = 8;
    const QRect available = screen()->availableGeometry();
    if (moved == traffic) {
        const WindowPlace place =
            PlaceBesideWindows(frameGeometry(), {traffic->frameGeometry()}, display->frameGeometry().size(), available, gap);
        if (place.clear) {
            m_placingWindows = true;
            display->move(place.topLeft);
            m_placingWindows = false;
        }
        return;
    }
    const QSize frameMargins = traffic->frameGeometry().size() - traffic->size();
    const WindowPlace place =
        PlaceBesideWindows(frameGeometry(), {display->frameGeometry()}, traffic->frameGeometry().size(), available, gap);
    if (place.clear) {
        m_placingWindows = true;
        traffic->move(place.topLeft);
        m_placingWindows = false;
    } else {
        placeTrafficOverPanel(traffic->frameGeometry().size() - frameMargins);
    }
}

QVector<QPair<QRect, int>> CTavrelDlg::weightedControlRects() const
{
    // Only what shows of the scrolled controls counts.
    const QRect shownControls(m_controlsArea->viewport()->mapToGlobal(QPoint(0, 0)), m_controlsArea->viewport()->size());
    QVector<QPair<QRect, int>> rects;
    for (const QAbstractButton* button : m_controlsArea->widget()->findChildren<QAbstractButton*>()) {
        const QRect r = QRect(button->mapToGlobal(QPoint(0, 0)), button->size()) & shownControls;
        if (button->isVisible() && !r.isEmpty())
            rects.append({r, 1});
    }
    // The status window shows what just happened: covering it costs most.
    rects.append({QRect(m_status->mapToGlobal(QPoint(0, 0)), m_status->size()), 4});
    rects.append({QRect(m_quit->mapToGlobal(QPoint(0, 0)), m_quit->size()), 4});
    return rects;
}

void CTavrelDlg::placeTrafficOverPanel(const QSize& size)
{
    if (!m_trafficWindow || !screen())
        return;
    const QRect available = screen()->availableGeometry();
    const QSize frameMargins = FrameExtra(m_trafficWindow.get());
    const QSize frame = (size + frameMargins).boundedTo(available.size());
    const QRect display = m_emulatorWindow && m_emulatorWindow->isVisible() ? m_emulatorWindow->frameGeometry() : QRect();
    const QRect panel = frameGeometry() & available;
    const QVector<QPair<QRect, int>> controls = weightedControlRects();
    // Each corner of the panel and of the screen, and the middle of the
    // panel's edges; the place covering the least, the display not at all
    // where any place can.
    QVector<QPoint> corners;
    for (const QRect& area : {panel, available}) {
        const int right = area.right() + 1 - frame.width();
        const int bottom = area.bottom() + 1 - frame.height();
        const int middleX = area.left() + (area.width() - frame.width()) / 2;
        const int middleY = area.top() + (area.height() - frame.height()) / 2;
        corners << area.topLeft() << QPoint(right, area.top()) << QPoint(area.left(), bottom) << QPoint(right, bottom)
                << QPoint(middleX, area.top()) << QPoint(middleX, bottom) << QPoint(area.left(), middleY)
                << QPoint(right, middleY);
    }
    qint64 best = -1;
    QPoint bestAt = available.topLeft();
    for (QPoint at : corners) {
        at.setX(qBound(available.left(), at.x(), available.right() + 1 - frame.width()));
        at.setY(qBound(available.top(), at.y(), available.bottom() + 1 - frame.height()));
        const QRect window(at, frame);
        qint64 cost = window.intersects(display) ? qint64(1) << 40 : 0;
        for (const auto& [rect, weight] : controls) {
            const QRect covered = window & rect;
            cost += qint64(covered.width()) * covered.height() * weight;
        }
        if (best < 0 || cost < best) {
            best = cost;
            bestAt = at;
        }
    }
    m_placingWindows = true;
    m_trafficWindow->resize(frame - frameMargins);
    m_trafficWindow->move(bestAt);
    m_placingWindows = false;
}

void CTavrelDlg::fitToScreen()
{
    const DialogUnits units(font());
    const QSize fitted = SizeFittingScreen(this, units.size(kPanelWidthUnits, kPanelHeightUnits));
    resize(fitted.expandedTo(minimumSize()));
    if (!screen())
        return;
    // And on the screen: a window placed partly off it comes back.
    const QRect available = screen()->availableGeometry();
    const QSize frame = size() + FrameExtra(this);
    const QPoint at(qMax(available.left(), qMin(pos().x(), available.right() + 1 - frame.width())),
                    qMax(available.top(), qMin(pos().y(), available.bottom() + 1 - frame.height())));
    if (isVisible() && at != pos())
        move(at);
}

void CTavrelDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layoutStatusStrip();
}

void CTavrelDlg::layoutStatusStrip()
{
    if (!m_status || !m_quit || !m_statusLabel)
        return;
    // Laid out in dialog units as in the full window, the strip kept at the
    // bottom and Quit at the right edge; the status window takes up what
    // the width leaves.
    const DialogUnits units(font());
    const int down = height() - units.y(kPanelHeightUnits);
    const int across = width() - units.x(kPanelWidthUnits);
    m_controlsArea->setGeometry(0, 0, width(), units.y(kControlsHeightUnits) + down);
    m_statusLabel->setGeometry(units.rect(18, 322, 80, 10).translated(0, down));
    m_quit->setGeometry(units.rect(462, 342, 50, 16).translated(across, down));
    QRect status = units.rect(34, 334, 397, 27).translated(0, down);
    status.setRight(qMax(status.left() + units.x(40), status.right() + across));
    m_status->setGeometry(status);
    if (auto* bar = findChild<QProgressBar*>(QStringLiteral("transferProgress")))
        bar->setGeometry(progressRect());
}

QRect CTavrelDlg::progressRect() const
{
    // Right of the "Status Window" label, above the status window.
    const DialogUnits units(font());
    QRect bar = units.rect(100, 321, 331, 11).translated(0, height() - units.y(kPanelHeightUnits));
    bar.setRight(qMax(bar.left() + units.x(40), bar.right() + width() - units.x(kPanelWidthUnits)));
    return bar;
}

void CTavrelDlg::restorePanelPlace()
{
    const std::optional<QRect> frame = m_settings->windowFrame(QStringLiteral("panel"));
    if (frame && OnAScreen(QRect(frame->topLeft(), size() + FrameExtra(this))))
        move(frame->topLeft());
}

bool CTavrelDlg::restoreWindowPlace(QWidget* window, const QString& name, bool withSize)
{
    if (!m_settings)
        return false;
    const std::optional<QRect> frame = m_settings->windowFrame(name);
    if (!frame)
        return false;
    const QSize size = withSize ? frame->size().expandedTo(window->minimumSizeHint()) : window->size();
    if (!OnAScreen(QRect(frame->topLeft(), size + FrameExtra(window))))
        return false;
    m_placingWindows = true;
    if (withSize)
        window->resize(size);
    window->move(frame->topLeft());
    m_placingWindows = false;
    return true;
}

void CTavrelDlg::rememberWindowPlaces()
{
    if (!m_settings)
        return;
    // Positions as move() takes them, sizes of the window's inside.
    auto remember = [this](const QWidget* window, const QString& name) {
        if (window)
            m_settings->setWindowFrame(name, QRect(window->pos(), window->size()));
    };
    remember(this, QStringLiteral("panel"));
    if (m_trafficWindow)
        remember(m_trafficWindow.get(), QStringLiteral("traffic"));
    if (m_help)
        remember(m_help, QStringLiteral("help"));
    if (m_emulatorWindow && m_emulatorWindow->isVisible()) {
        remember(m_emulatorWindow.get(), QStringLiteral("emulator"));
        m_settings->setEmulatorScale(m_emulatorWindow->scale());
    }
    m_settings->sync();
}

} // namespace tavrel

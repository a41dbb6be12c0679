// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ModalDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace tavrel::testing {

ModalDriver::ModalDriver(int stuckAfterMs)
    : m_stuckAfterMs(stuckAfterMs)
{
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
    m_timer.start();
}

ModalDriver::~ModalDriver() = default;

ModalDriver& ModalDriver::expect(const QString& title, Answer answer)
{
    m_answers.enqueue({title, std::move(answer)});
    return *this;
}

void ModalDriver::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (modal == m_current) {
        if (m_currentSince.elapsed() > m_stuckAfterMs) {
            m_problems << QStringLiteral("\"%1\" still open after its answer").arg(modal->windowTitle());
            dismiss(modal);
        }
        return;
    }
    m_current = modal;
    m_currentSince.start();
    if (m_answers.isEmpty()) {
        m_problems << QStringLiteral("unexpected dialog \"%1\"").arg(modal->windowTitle());
        dismiss(modal);
        return;
    }
    const Step step = m_answers.dequeue();
    if (modal->windowTitle() != step.title) {
        m_problems << QStringLiteral("expected \"%1\", got \"%2\"").arg(step.title, modal->windowTitle());
        dismiss(modal);
        return;
    }
    step.answer(modal);
}

void ModalDriver::dismiss(QWidget* dialog)
{
    if (auto* d = qobject_cast<QDialog*>(dialog))
        d->reject();
    else
        dialog->close();
}

void ModalDriver::setText(QWidget* dialog, const QString& objectName, const QString& text)
{
    auto* edit = dialog->findChild<QLineEdit*>(objectName);
    if (!edit)
        return;
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

QString ModalDriver::text(QWidget* dialog, const QString& objectName)
{
    QWidget* child = dialog->findChild<QWidget*>(objectName);
    if (auto* edit = qobject_cast<QLineEdit*>(child))
        return edit->text();
    if (auto* list = qobject_cast<QComboBox*>(child))
        return list->currentText();
    if (auto* label = qobject_cast<QLabel*>(child))
        return label->text();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(child))
        return plain->toPlainText();
    if (auto* button = qobject_cast<QAbstractButton*>(child))
        return button->text();
    return QStringLiteral("<no %1>").arg(objectName);
}

void ModalDriver::read(QWidget* dialog, const QString& objectName)
{
    m_readings << text(dialog, objectName);
}

void ModalDriver::clickOk(QWidget* dialog)
{
    auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("okButton"));
    if (!ok) {
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->isDefault()) {
                ok = button;
                break;
            }
        }
    }
    if (ok)
        QTest::mouseClick(ok, Qt::LeftButton);
}

void ModalDriver::pressEscape(QWidget* dialog)
{
    QTest::keyClick(dialog, Qt::Key_Escape);
}

} // namespace tavrel::testing

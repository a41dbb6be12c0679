// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tavrel::testing {

// Answers the modal dialogs that a blocking call (a click that runs exec())
// opens, one after another. Queue the answers first, then make the call;
// check the outcome after the call has returned, never inside an answer: a
// failed check there would leave the dialog open.
//
// A dialog that nobody expected, one with the wrong title, and one still open
// long after its answer ran are closed and recorded as problems, so that a
// faulty test fails instead of hanging.
class ModalDriver : public QObject {
    Q_OBJECT
public:
    using Answer = std::function<void(QWidget* dialog)>;

    explicit ModalDriver(int stuckAfterMs = 5000);
    ~ModalDriver() override;

    // The next modal dialog must carry this window title.
    ModalDriver& expect(const QString& title, Answer answer);

    // True when every queued answer has run and nothing went wrong.
    bool done() const { return m_answers.isEmpty() && m_problems.isEmpty(); }
    QStringList problems() const { return m_problems; }
    // What each answer read from its dialog with the read helpers below.
    QStringList readings() const { return m_readings; }

    // Helpers for answers.
    static void setText(QWidget* dialog, const QString& objectName, const QString& text);
    static QString text(QWidget* dialog, const QString& objectName);
    static void clickOk(QWidget* dialog);
    static void pressEscape(QWidget* dialog);
    // Records the text of a child for checking after the call.
    void read(QWidget* dialog, const QString& objectName);
    void note(const QString& reading) { m_readings << reading; }

private:
    struct Step {
        QString title;
        Answer answer;
    };

    void poll();
    void dismiss(QWidget* dialog);

    QTimer m_timer;
    QQueue<Step> m_answers;
    QStringList m_problems;
    QStringList m_readings;
    QPointer<QWidget> m_current;
    QElapsedTimer m_currentSince;
    int m_stuckAfterMs;
};

} // namespace tavrel::testing

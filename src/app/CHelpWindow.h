// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

class QTextBrowser;

namespace tavrel {

// "Tavrel Help": the user manual (the user part of the README, bundled as a
// resource) in a window of its own, opened at a section.
class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Scrolls to the section of that title; the start when there is none.
    // Sections start at headings and at paragraphs that open with a few
    // bold words ending in a full stop.
    void showSection(const QString& title);
    // The titles of the manual's sections, in order.
    QStringList headings() const;
    // The title of the section at the top of the view.
    QString currentHeading() const;

    // The manual's text: the README between its manual markers.
    static QString manualMarkdown();
    // The section that explains the window of that title (a dialog, the
    // panel, one of its windows); empty when none does.
    static QString sectionForWindow(const QString& title);

private:
    void followLink(const QUrl& url);

    QTextBrowser* m_browser = nullptr;
};

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

class QFontMetrics;

namespace tavrel {

// A one-line label whose text, when wider than the label, is shown with a
// part elided. text() and the tooltip keep the whole text.
//
// By default the middle is elided, so that both the start of a long text
// and its end stay readable. A text can also name a tail that matters more
// than the rest (a device's own name and the baud rate after its folder):
// then only what comes before the tail is elided, and when the tail alone
// is too wide, its start goes, while its firm end is kept whole.
class ElidingLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidingLabel(QWidget* parent = nullptr);

    // Sets the text and a tooltip with the same text. `tail` characters at
    // the end are elided only when nothing before them is left; the last
    // `firmEnd` of them never are.
    void setFullText(const QString& text, int tail = 0, int firmEnd = 0);
    // What the label shows at its current width.
    QString displayedText() const;

    // The text as it is shown in `width` pixels under those rules.
    static QString elide(const QFontMetrics& metrics, const QString& text, int tail, int firmEnd, int width);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_tail = 0;
    int m_firmEnd = 0;
};

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace tavrel {

// A one-line label whose text, when wider than the label, is shown with its
// middle elided, so that both the start of a long device path and its end
// stay readable. text() and the tooltip keep the whole text.
class ElidingLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidingLabel(QWidget* parent = nullptr);

    // Sets the text and a tooltip with the same text.
    void setFullText(const QString& text);
    // What the label shows at its current width.
    QString displayedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tavrel

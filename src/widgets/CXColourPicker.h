// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/UiSeam.h"
#include "link/HostColour.h"

#include <QPointer>
#include <QPushButton>

namespace tavrel {

class CXColourPopup;

// A push button that shows a colour swatch and a drop-down arrow. Its colour
// is what the commands read as the foreground or background colour. A click
// drops down a CXColourPopup; the colour accepted there becomes the button's.
// The button keeps its own 16 custom colours for the palette.
class CXColourPicker : public QPushButton {
    Q_OBJECT
public:
    static constexpr HostColour kDisabledColour = 0x00C0C0C0;

    explicit CXColourPicker(QWidget* parent = nullptr);

    // Sets the colour and the colour to show again after re-enabling, and
    // redraws at once. Not reported through colourChanged.
    void setColour(HostColour colour);
    HostColour colour() const { return m_colour; }
    HostColour enabledColour() const { return m_enabledColour; }

    const CustomColours& customColours() const { return m_customColours; }
    CustomColours& customColours() { return m_customColours; }

    QSize sizeHint() const override;

    // Where the swatch is drawn, in widget coordinates; empty when none is
    // drawn (disabled).
    QRect swatchRect() const;

    // The palette opened by the last click, while it is open.
    CXColourPopup* popup() const;
    // The id the owner gave the button (its "controlId" property), carried
    // by every notification; 0 when none was given.
    int controlId() const;

public slots:
    // Drops the palette down under the button, as a click does.
    void openPopup();

signals:
    // Each carries a colour and the button's control id.
    // A palette has been opened; the colour is the button's.
    void colourPickOpened(tavrel::HostColour colour, int controlId);
    // The palette has closed; sent before colourPickAccepted or
    // colourPickCancelled, with the same colour.
    void colourPickClosed(tavrel::HostColour colour, int controlId);
    // The user accepted a colour (possibly the one the button already had).
    void colourPickAccepted(tavrel::HostColour colour, int controlId);
    // The user cancelled; the colour is the one the button kept.
    void colourPickCancelled(tavrel::HostColour colour, int controlId);
    // The user accepted a colour different from the one the button had.
    void colourChanged(tavrel::HostColour colour, int controlId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void popupAccepted(HostColour colour);
    void popupCancelled(HostColour colour);
    // The interior left for arrow and swatch (Windows-style right/bottom
    // exclusive coordinates are kept in a QRect via its edges).
    QRect contentRect() const;
    int edge() const;
    int arrowSize() const;

    HostColour m_colour = kWhite;
    HostColour m_enabledColour;
    CustomColours m_customColours;
    QPointer<CXColourPopup> m_popup;
};

} // namespace tavrel

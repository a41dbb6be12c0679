#pragma once

#include "app/UiSeam.h"
#include "link/HostColour.h"

#include <QPushButton>

namespace tavrel {

// A push button that shows a colour swatch and a drop-down arrow. Its colour
// is what the commands read as the foreground or background colour.
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

signals:
    // The user accepted a colour different from the one the button had.
    void colourChanged(tavrel::HostColour colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void chooseColour();
    // The interior left for arrow and swatch (Windows-style right/bottom
    // exclusive coordinates are kept in a QRect via its edges).
    QRect contentRect() const;
    int edge() const;
    int arrowSize() const;

    HostColour m_colour = kWhite;
    HostColour m_enabledColour;
    CustomColours m_customColours;
};

} // namespace tavrel

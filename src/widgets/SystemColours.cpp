// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/SystemColours.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace tavrel {

namespace {

// Windows' COLOR_… indices, written out so that the table reads the same on
// every platform; checked against the system header where it exists.
enum WindowsColourIndex : int {
    kColorBackground = 1,
    kColorActiveCaption = 2,
    kColorInactiveCaption = 3,
    kColorWindow = 5,
    kColorWindowText = 8,
    kColorCaptionText = 9,
    kColorHighlight = 13,
    kColorHighlightText = 14,
    kColorBtnFace = 15,
    kColorBtnShadow = 16,
    kColorBtnText = 18,
    kColorInactiveCaptionText = 19,
    kColorBtnHighlight = 20,
    kColor3DLight = 22,
    kColorInfoText = 23,
    kColorInfoBk = 24,
};

#ifdef Q_OS_WIN
static_assert(kColorBackground == COLOR_BACKGROUND && kColorActiveCaption == COLOR_ACTIVECAPTION
              && kColorInactiveCaption == COLOR_INACTIVECAPTION && kColorWindow == COLOR_WINDOW
              && kColorWindowText == COLOR_WINDOWTEXT && kColorCaptionText == COLOR_CAPTIONTEXT
              && kColorHighlight == COLOR_HIGHLIGHT && kColorHighlightText == COLOR_HIGHLIGHTTEXT
              && kColorBtnFace == COLOR_BTNFACE && kColorBtnShadow == COLOR_BTNSHADOW
              && kColorBtnText == COLOR_BTNTEXT && kColorInactiveCaptionText == COLOR_INACTIVECAPTIONTEXT
              && kColorBtnHighlight == COLOR_BTNHIGHLIGHT && kColor3DLight == COLOR_3DLIGHT
              && kColorInfoText == COLOR_INFOTEXT && kColorInfoBk == COLOR_INFOBK);
#endif

// Rows 7 and 8 of the palette, left to right. Qt has no roles for title
// bars or the desktop: the active title bar takes the selection colours,
// the inactive one the window colour with greyed-out text, and the desktop
// the darkest shade (Windows shows black there when no wallpaper covers it).
const std::array<SystemColourSource, kSystemColourCount> kTable = {{
    {"Window", kColorWindow, QPalette::Active, QPalette::Base},
    {"WindowText", kColorWindowText, QPalette::Active, QPalette::Text},
    {"InfoBk", kColorInfoBk, QPalette::Active, QPalette::ToolTipBase},
    {"InfoText", kColorInfoText, QPalette::Active, QPalette::ToolTipText},
    {"ActiveCaption", kColorActiveCaption, QPalette::Active, QPalette::Highlight},
    {"CaptionText", kColorCaptionText, QPalette::Active, QPalette::HighlightedText},
    {"InactiveCaption", kColorInactiveCaption, QPalette::Inactive, QPalette::Window},
    {"InactiveCaptionText", kColorInactiveCaptionText, QPalette::Disabled, QPalette::WindowText},
    {"BtnFace", kColorBtnFace, QPalette::Active, QPalette::Button},
    {"BtnText", kColorBtnText, QPalette::Active, QPalette::ButtonText},
    {"BtnShadow", kColorBtnShadow, QPalette::Active, QPalette::Dark},
    {"BtnHighlight", kColorBtnHighlight, QPalette::Active, QPalette::Light},
    {"Highlight", kColorHighlight, QPalette::Active, QPalette::Highlight},
    {"HighlightText", kColorHighlightText, QPalette::Active, QPalette::HighlightedText},
    {"3DLight", kColor3DLight, QPalette::Active, QPalette::Midlight},
    {"Desktop", kColorBackground, QPalette::Active, QPalette::Shadow},
}};

} // namespace

const std::array<SystemColourSource, kSystemColourCount>& SystemColourTable()
{
    return kTable;
}

std::array<HostColour, kSystemColourCount> ReadSystemColours(const QPalette& palette)
{
    std::array<HostColour, kSystemColourCount> colours{};
    for (int i = 0; i < kSystemColourCount; ++i) {
        const SystemColourSource& source = kTable[i];
#ifdef Q_OS_WIN
        Q_UNUSED(palette);
        // A COLORREF is already 0x00BBGGRR.
        colours[i] = HostColour(::GetSysColor(source.windowsIndex)) & 0x00FFFFFF;
#else
        const QColor c = palette.color(source.group, source.role);
        colours[i] = MakeHostColour(c.red(), c.green(), c.blue());
#endif
    }
    return colours;
}

bool IsDarkBackground(const QColor& background)
{
    return background.lightness() < 128;
}

} // namespace tavrel

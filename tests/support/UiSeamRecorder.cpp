// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/UiSeamRecorder.h"

namespace tavrel::testing {

UiSeamRecorder::UiSeamRecorder()
{
    m_previousMessage = UiSeam::setMessageHandler([this](QWidget*, const QString& text, const QString& caption) {
        messages << caption + QLatin1Char('|') + text;
    });
    m_previousColour = UiSeam::setColourHandler([this](QWidget*, HostColour initial, CustomColours&,
                                                       HostColour& chosen) {
        ++colourRequests;
        lastInitialColour = initial;
        if (colourAnswers.isEmpty())
            return false;
        chosen = colourAnswers.takeFirst();
        return true;
    });
}

UiSeamRecorder::~UiSeamRecorder()
{
    UiSeam::setMessageHandler(std::move(m_previousMessage));
    UiSeam::setColourHandler(std::move(m_previousColour));
}

} // namespace tavrel::testing

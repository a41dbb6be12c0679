// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/UiSeam.h"

#include <QStringList>
#include <QVector>

namespace tavrel::testing {

// Takes over the panel's message boxes and colour dialog for the lifetime of
// the object: messages are recorded as "caption|text" and answered at once,
// colour requests are answered from a queue (an empty queue cancels).
class UiSeamRecorder {
public:
    UiSeamRecorder();
    ~UiSeamRecorder();
    UiSeamRecorder(const UiSeamRecorder&) = delete;
    UiSeamRecorder& operator=(const UiSeamRecorder&) = delete;

    QStringList messages;
    QVector<HostColour> colourAnswers;
    int colourRequests = 0;
    HostColour lastInitialColour = 0;

private:
    UiSeam::MessageHandler m_previousMessage;
    UiSeam::ColourHandler m_previousColour;
};

} // namespace tavrel::testing

// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Packet.h"

namespace tavrel {

namespace {

bool BecomesZeroByte(char16_t unit)
{
    return (unit & 0x7F) == 0;
}

// "U+4E00 "一"", or the code alone for a character that shows nothing.
QString DescribeCharacter(char32_t code)
{
    QString text = QStringLiteral("U+") + QStringLiteral("%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
    if (QChar::isPrint(code) && !QChar::isSpace(code))
        text += QStringLiteral(" \"") + QString::fromUcs4(&code, 1) + QLatin1Char('"');
    return text;
}

} // namespace

QString SevenBitTextProblem(const QString& text)
{
    int position = 0;
    for (int i = 0; i < text.size(); ++i) {
        ++position;
        const QChar c = text.at(i);
        char32_t code = c.unicode();
        bool lost = BecomesZeroByte(c.unicode());
        // A pair of surrogates is one character on screen and two on the
        // line; either half may be the one that turns into 0.
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const QChar low = text.at(i + 1);
            code = QChar::surrogateToUcs4(c, low);
            lost = lost || BecomesZeroByte(low.unicode());
            ++i;
        }
        if (lost)
            return QStringLiteral("The character %1 at position %2 cannot be sent: it would reach the module "
                                  "as a 0 byte and end the text early. Nothing was sent.")
                .arg(DescribeCharacter(code))
                .arg(position);
    }
    return QString();
}

} // namespace tavrel

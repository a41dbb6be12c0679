// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/script/ScriptWords.h"

namespace tavrel {

namespace {

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Characters a shell gives a meaning of its own when they stand unquoted.
bool IsShellOperator(QChar c)
{
    return c == QLatin1Char(';') || c == QLatin1Char('|') || c == QLatin1Char('&') || c == QLatin1Char('<')
        || c == QLatin1Char('>') || c == QLatin1Char('`');
}

// A $ is plain only where a shell would keep it: before a blank or at the
// end of a word.
bool DollarIsPlain(const QString& line, int next, bool inDoubleQuotes)
{
    if (next >= line.size())
        return true;
    const QChar c = line.at(next);
    return IsBlank(c) || (inDoubleQuotes && c == QLatin1Char('"'));
}

QString DollarError()
{
    return QStringLiteral("a $ would be expanded by a shell; write \\$ or put the word in '...'");
}

int HexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Reads up to `most` digits of the given base from line[i]; returns how
// many were read.
int ReadDigits(const QString& line, int i, int most, int base, uint& value)
{
    int count = 0;
    value = 0;
    while (count < most && i + count < line.size()) {
        const int digit = HexValue(line.at(i + count));
        if (digit < 0 || digit >= base)
            break;
        value = value * uint(base) + uint(digit);
        ++count;
    }
    return count;
}

void AppendCodePoint(QString& word, uint code)
{
    if (code > 0xFFFF) {
        word += QChar(QChar::highSurrogate(code));
        word += QChar(QChar::lowSurrogate(code));
    } else {
        word += QChar(ushort(code));
    }
}

// The body of $'…' from line[i] (just after the opening quote) to its
// closing quote; i ends on the closing quote.
bool ReadAnsiQuoted(const QString& line, int& i, QString& word, QString& error)
{
    for (; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('\''))
            return true;
        if (c != QLatin1Char('\\')) {
            word += c;
            continue;
        }
        if (++i >= line.size())
            break;
        const QChar e = line.at(i);
        uint value = 0;
        switch (e.unicode()) {
        case 'n': word += QLatin1Char('\n'); break;
        case 'r': word += QLatin1Char('\r'); break;
        case 't': word += QLatin1Char('\t'); break;
        case 'a': word += QChar(0x07); break;
        case 'b': word += QChar(0x08); break;
        case 'e': case 'E': word += QChar(0x1B); break;
        case 'f': word += QChar(0x0C); break;
        case 'v': word += QChar(0x0B); break;
        case '\\': case '\'': case '"': case '?': word += e; break;
        case 'x': case 'u': case 'U': {
            const int most = e == QLatin1Char('x') ? 2 : e == QLatin1Char('u') ? 4 : 8;
            const int read = ReadDigits(line, i + 1, most, 16, value);
            if (read == 0) {
                error = QStringLiteral("\\%1 needs hexadecimal digits").arg(e);
                return false;
            }
            if (value > 0x10FFFF) {
                error = QStringLiteral("\\%1%2 is not a character").arg(e).arg(line.mid(i + 1, read));
                return false;
            }
            AppendCodePoint(word, value);
            i += read;
            break;
        }
        default: {
            const int read = ReadDigits(line, i, 3, 8, value);
            if (read > 0) {
                word += QChar(ushort(value & 0xFF));
                i += read - 1;
            } else {
                // As a shell does: an escape it does not know stays as written.
                word += QLatin1Char('\\');
                word += e;
            }
        }
        }
    }
    error = QStringLiteral("the closing ' of $'...' is missing");
    return false;
}

bool IsPlainCharacter(QChar c)
{
    const ushort u = c.unicode();
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9'))
        return true;
    return QStringLiteral("-_./:=,+@%^").contains(c);
}

// Characters that cannot stand in a line as they are: control characters
// (a line break would end the line), and halves of surrogate pairs that have
// no partner.
bool NeedsEscape(const QString& word, int i)
{
    const ushort u = word.at(i).unicode();
    if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
        return true;
    if (QChar::isHighSurrogate(u))
        return i + 1 >= word.size() || !QChar::isLowSurrogate(word.at(i + 1).unicode());
    if (QChar::isLowSurrogate(u))
        return i == 0 || !QChar::isHighSurrogate(word.at(i - 1).unicode());
    return false;
}

QString AnsiQuoted(const QString& word)
{
    QString out = QStringLiteral("$'");
    for (int i = 0; i < word.size(); ++i) {
        const QChar c = word.at(i);
        const ushort u = c.unicode();
        if (c == QLatin1Char('\\') || c == QLatin1Char('\'')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\\n");
        } else if (c == QLatin1Char('\r')) {
            out += QStringLiteral("\\r");
        } else if (c == QLatin1Char('\t')) {
            out += QStringLiteral("\\t");
        } else if (NeedsEscape(word, i)) {
            out += u < 0x100 ? QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'))
                             : QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out + QLatin1Char('\'');
}

} // namespace

bool SplitScriptWords(const QString& line, QStringList& words, QString& error)
{
    words.clear();
    QString word;
    bool inWord = false;
    auto endWord = [&] {
        if (inWord)
            words << word;
        word.clear();
        inWord = false;
    };
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (IsBlank(c)) {
            endWord();
        } else if (c == QLatin1Char('#') && !inWord) {
            break;
        } else if (c == QLatin1Char('\\')) {
            if (++i >= line.size()) {
                error = QStringLiteral("a \\ at the end of the line escapes nothing");
                return false;
            }
            word += line.at(i);
            inWord = true;
        } else if (c == QLatin1Char('\'')) {
            const int close = line.indexOf(QLatin1Char('\''), i + 1);
            if (close < 0) {
                error = QStringLiteral("the closing ' is missing");
                return false;
            }
            word += line.mid(i + 1, close - i - 1);
            inWord = true;
            i = close;
        } else if (c == QLatin1Char('"')) {
            bool closed = false;
            for (++i; i < line.size(); ++i) {
                const QChar d = line.at(i);
                if (d == QLatin1Char('"')) {
                    closed = true;
                    break;
                }
                if (d == QLatin1Char('\\') && i + 1 < line.size()
                    && QStringLiteral("$`\"\\").contains(line.at(i + 1))) {
                    word += line.at(++i);
                } else if (d == QLatin1Char('$') && !DollarIsPlain(line, i + 1, true)) {
                    error = DollarError();
                    return false;
                } else if (d == QLatin1Char('`')) {
                    error = QStringLiteral("a ` would run a command in a shell; write \\` inside \"...\"");
                    return false;
                } else {
                    word += d;
                }
            }
            if (!closed) {
                error = QStringLiteral("the closing \" is missing");
                return false;
            }
            inWord = true;
        } else if (c == QLatin1Char('$') && i + 1 < line.size() && line.at(i + 1) == QLatin1Char('\'')) {
            i += 2;
            if (!ReadAnsiQuoted(line, i, word, error))
                return false;
            inWord = true;
        } else if (c == QLatin1Char('$') && !DollarIsPlain(line, i + 1, false)) {
            error = DollarError();
            return false;
        } else if (IsShellOperator(c)) {
            error = QStringLiteral("an unquoted %1 means something else to a shell; put it in '...'").arg(c);
            return false;
        } else {
            word += c;
            inWord = true;
        }
    }
    endWord();
    return true;
}

QString QuoteScriptWord(const QString& word)
{
    if (word.isEmpty())
        return QStringLiteral("''");
    bool plain = true;
    bool escapes = false;
    for (int i = 0; i < word.size(); ++i) {
        plain = plain && IsPlainCharacter(word.at(i));
        escapes = escapes || NeedsEscape(word, i);
    }
    if (plain)
        return word;
    if (escapes)
        return AnsiQuoted(word);
    if (!word.contains(QLatin1Char('\'')))
        return QLatin1Char('\'') + word + QLatin1Char('\'');
    QString out = QStringLiteral("\"");
    for (QChar c : word) {
        if (QStringLiteral("$`\"\\").contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

QString JoinScriptWords(const QStringList& words)
{
    QStringList quoted;
    quoted.reserve(words.size());
    for (const QString& word : words)
        quoted << QuoteScriptWord(word);
    return quoted.join(QLatin1Char(' '));
}

} // namespace tavrel

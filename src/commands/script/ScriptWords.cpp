// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/script/ScriptWords.h"

#include <QByteArrayView>
#include <QStringDecoder>

namespace tavrel {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Characters a shell gives a meaning of its own when they stand unquoted:
// operators, subshells, brace expansion and file-name patterns.
bool IsShellSpecial(char c)
{
    return c == ';' || c == '|' || c == '&' || c == '<' || c == '>' || c == '`' || c == '(' || c == ')' || c == '{'
        || c == '*' || c == '?' || c == '[';
}

// A $ is plain only where a shell would keep it: before a blank or at the
// end of a word.
bool DollarIsPlain(const QByteArray& line, int next, bool inDoubleQuotes)
{
    if (next >= line.size())
        return true;
    const char c = line.at(next);
    return IsBlank(c) || (inDoubleQuotes && c == '"');
}

QString DollarError()
{
    return QStringLiteral("a $ would be expanded by a shell; write \\$ or put the word in '...'");
}

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads up to `most` digits of the given base from line[i]; returns how
// many were read.
int ReadDigits(const QByteArray& line, int i, int most, int base, uint& value)
{
    int count = 0;
    value = 0;
    while (count < most && i + count < line.size()) {
        const int digit = DigitValue(line.at(i + count));
        if (digit < 0 || digit >= base)
            break;
        value = value * uint(base) + uint(digit);
        ++count;
    }
    return count;
}

// The body of $'…' from line[i] (just after the opening quote) to its
// closing quote, read as bash reads it: the escapes \xHH and \NNN give
// bytes, \uHHHH and \UHHHHHHHH give characters (as UTF-8), and an escape
// bash does not know stays as written; i ends on the closing quote.
bool ReadAnsiQuoted(const QByteArray& line, int& i, QByteArray& word, QString& error)
{
    for (; i < line.size(); ++i) {
        const char c = line.at(i);
        if (c == '\'')
            return true;
        if (c != '\\') {
            word += c;
            continue;
        }
        if (++i >= line.size())
            break;
        const char e = line.at(i);
        uint value = 0;
        switch (e) {
        case 'n': word += '\n'; break;
        case 'r': word += '\r'; break;
        case 't': word += '\t'; break;
        case 'a': word += '\a'; break;
        case 'b': word += '\b'; break;
        case 'e': case 'E': word += '\x1b'; break;
        case 'f': word += '\f'; break;
        case 'v': word += '\v'; break;
        case '\\': case '\'': case '"': case '?': word += e; break;
        case 'c':
            // \cX: the control character of X.
            if (i + 1 < line.size() && line.at(i + 1) != '\'') {
                char x = line.at(++i);
                if (x == '\\' && i + 1 < line.size() && line.at(i + 1) == '\\')
                    ++i;
                word += x == '?' ? '\x7f' : char(QChar::toUpper(uint(uchar(x))) & 0x1F);
            } else {
                word += "\\c";
            }
            break;
        case 'x': case 'u': case 'U': {
            const int most = e == 'x' ? 2 : e == 'u' ? 4 : 8;
            const int read = ReadDigits(line, i + 1, most, 16, value);
            if (read == 0) {
                word += '\\';
                word += e;
                break;
            }
            if (e == 'x') {
                word += char(value);
            } else if (value > 0x10FFFF || QChar::isSurrogate(value)) {
                error = QStringLiteral("\\%1%2 is not a character").arg(QLatin1Char(e)).arg(QString::fromLatin1(line.mid(i + 1, read)));
                return false;
            } else {
                const char32_t code = value;
                word += QString::fromUcs4(&code, 1).toUtf8();
            }
            i += read;
            break;
        }
        default: {
            const int read = ReadDigits(line, i, 3, 8, value);
            if (read > 0) {
                word += char(value & 0xFF);
                i += read - 1;
            } else {
                word += '\\';
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

// $'…' with the characters that cannot stand as they are written as the
// \xHH of their UTF-8 bytes, which bash reads back to the same bytes
// whatever its locale; a quote is \x27, so that no \' can end the quoted
// part early for a reader that does not know $'…'.
QString AnsiQuoted(const QString& word)
{
    QString out = QStringLiteral("$'");
    for (int i = 0; i < word.size(); ++i) {
        const QChar c = word.at(i);
        if (c == QLatin1Char('\\')) {
            out += QStringLiteral("\\\\");
        } else if (c == QLatin1Char('\'')) {
            out += QStringLiteral("\\x27");
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\\n");
        } else if (c == QLatin1Char('\r')) {
            out += QStringLiteral("\\r");
        } else if (c == QLatin1Char('\t')) {
            out += QStringLiteral("\\t");
        } else if (NeedsEscape(word, i)) {
            // A lone half of a surrogate pair has no UTF-8 form; its three
            // bytes are written so that a reader refuses them.
            const ushort u = c.unicode();
            QByteArray bytes;
            if (c.isSurrogate())
                bytes.append(char(0xE0 | (u >> 12))).append(char(0x80 | ((u >> 6) & 0x3F))).append(char(0x80 | (u & 0x3F)));
            else
                bytes = QString(c).toUtf8();
            for (char b : bytes)
                out += QStringLiteral("\\x%1").arg(uint(uchar(b)), 2, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out + QLatin1Char('\'');
}

} // namespace

bool SplitScriptWords(const QString& text, QStringList& words, QString& error)
{
    // A shell reads bytes: the line's UTF-8 bytes, and the bytes $'…' makes,
    // are read back as UTF-8 a word at a time.
    const QByteArray line = text.toUtf8();
    words.clear();
    QByteArray word;
    bool inWord = false;
    auto endWord = [&] {
        if (!inWord)
            return true;
        if (word.contains('\0')) {
            error = QStringLiteral("a word holds a 0 byte, where a shell would end it");
            return false;
        }
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder.decode(word);
        if (decoder.hasError()) {
            error = QStringLiteral("the bytes of $'...' in word %1 are not UTF-8 text").arg(words.size() + 1);
            return false;
        }
        words << decoded;
        word.clear();
        inWord = false;
        return true;
    };
    for (int i = 0; i < line.size(); ++i) {
        const char c = line.at(i);
        if (IsBlank(c)) {
            if (!endWord())
                return false;
        } else if (c == '#' && !inWord) {
            break;
        } else if (c == '\\') {
            if (++i >= line.size()) {
                error = QStringLiteral("a \\ at the end of the line escapes nothing");
                return false;
            }
            word += line.at(i);
            inWord = true;
        } else if (c == '\'') {
            const int close = line.indexOf('\'', i + 1);
            if (close < 0) {
                error = QStringLiteral("the closing ' is missing");
                return false;
            }
            word += line.mid(i + 1, close - i - 1);
            inWord = true;
            i = close;
        } else if (c == '"') {
            bool closed = false;
            for (++i; i < line.size(); ++i) {
                const char d = line.at(i);
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\' && i + 1 < line.size() && QByteArrayView("$`\"\\").contains(line.at(i + 1))) {
                    word += line.at(++i);
                } else if (d == '$' && !DollarIsPlain(line, i + 1, true)) {
                    error = DollarError();
                    return false;
                } else if (d == '`') {
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
        } else if (c == '$' && i + 1 < line.size() && line.at(i + 1) == '\'') {
            i += 2;
            if (!ReadAnsiQuoted(line, i, word, error))
                return false;
            inWord = true;
        } else if (c == '$' && !DollarIsPlain(line, i + 1, false)) {
            error = DollarError();
            return false;
        } else if (IsShellSpecial(c) || (c == '~' && !inWord)) {
            error = QStringLiteral("an unquoted %1 means something else to a shell; put it in '...'")
                        .arg(QLatin1Char(c));
            return false;
        } else {
            word += c;
            inWord = true;
        }
    }
    return endWord();
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
    // '…', each quote of the word written as \' between two quoted parts.
    QString out;
    const QStringList parts = word.split(QLatin1Char('\''));
    for (int i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += QStringLiteral("\\'");
        if (!parts.at(i).isEmpty())
            out += QLatin1Char('\'') + parts.at(i) + QLatin1Char('\'');
    }
    return out;
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

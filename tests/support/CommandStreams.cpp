// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/CommandStreams.h"

#include <algorithm>

using quennel::CommandId;
using quennel::CommandLayout;
using quennel::CommandShape;

namespace tavrel::testing {

namespace {

constexpr quint8 kSdPrefix = 0x40;

// The one-byte controller commands the emulator acts on.
const quint8 kControllerCommands[] = {0xA4, 0xA5, 0xA6, 0xA7, 0xAC, 0xAE, 0xAF, 0x2E, 0x2F};

bool isCardName(const CommandShape& shape)
{
    return shape.code == kSdPrefix && shape.layout == CommandLayout::Terminated;
}

} // namespace

StreamBuilder::StreamBuilder(quint32 seed)
    : m_rng(seed)
    , m_shapes(quennel::commandShapes())
{
}

void StreamBuilder::setShapeFilter(const std::function<bool(const CommandShape&)>& keep)
{
    QVector<CommandShape> kept;
    for (const CommandShape& shape : quennel::commandShapes())
        if (keep(shape))
            kept.append(shape);
    m_shapes = kept;
}

quint8 StreamBuilder::interesting()
{
    static const quint8 kEdges[] = {0, 1, 2, 3, 7, 8, 15, 16, 31, 32, 47, 63, 64, 65, 94, 95, 96, 97, 127, 128, 200, 254, 255};
    if (chance(35))
        return byte();
    return kEdges[below(sizeof kEdges)];
}

quint8 StreamBuilder::parameter(CommandId id, int position)
{
    switch (id) {
    case CommandId::SetFont:
    case CommandId::SetFontMode:
    case CommandId::PenSize:
        return quint8(chance(90) ? below(6) : byte());
    case CommandId::DeviceInfo:
        return quint8(chance(90) ? below(3) : byte());
    case CommandId::OledControl:
        return quint8(position == 1 ? below(5) : (chance(70) ? below(18) : byte()));
    case CommandId::RotateDisplay:
        return quint8(chance(90) ? below(5) : byte());
    case CommandId::ScrollControl:
        return quint8(position == 2 ? below(8) : interesting());
    case CommandId::ControllerCommand:
        return chance(70) ? kControllerCommands[below(sizeof kControllerCommands)] : byte();
    case CommandId::StringFormatted:
    case CommandId::StringFree:
        if (position == 3)
            return quint8(below(6));
        break;
    case CommandId::TextButton:
        if (position == 1)
            return quint8(below(3));
        if (position == 6)
            return quint8(below(6));
        break;
    case CommandId::AddUserChar:
        return position == 1 ? quint8(chance(80) ? below(40) : byte()) : byte();
    case CommandId::DisplayUserChar:
        if (position == 1)
            return quint8(chance(80) ? below(40) : byte());
        break;
    case CommandId::CharFormatted:
    case CommandId::CharFree:
        if (position == 1)
            return byte();
        break;
    case CommandId::SdSlideshow:
        if (position == 4 || position == 5)
            return quint8(chance(50) ? 0 : byte());
        break;
    default:
        break;
    }
    return interesting();
}

QByteArray StreamBuilder::text(int limit)
{
    int length;
    switch (below(4)) {
    case 0:
        length = int(below(4));
        break;
    case 1:
        length = int(below(24));
        break;
    case 2:
        length = limit - 2 + int(below(5)); // around the limit, either side
        break;
    default:
        length = int(below(quint32(limit + 100)));
        break;
    }
    QByteArray out;
    for (int i = 0; i < length; ++i) {
        const quint32 kind = below(10);
        char c = kind < 6 ? char(32 + below(95)) : kind < 8 ? char(chance(50) ? 13 : 10) : char(byte());
        out += c == 0 ? char(1) : c;
    }
    return out;
}

QByteArray StreamBuilder::cardName()
{
    if (!m_cardNames.isEmpty() && chance(80))
        return m_cardNames.at(int(below(quint32(m_cardNames.size()))));
    QByteArray name;
    const int length = int(below(chance(80) ? 14 : 80));
    for (int i = 0; i < length; ++i) {
        const char c = chance(70) ? char(32 + below(95)) : char(byte());
        name += c == 0 ? 'A' : c;
    }
    return name;
}

QByteArray StreamBuilder::fileData(int count)
{
    QByteArray data;
    // Now and then the data starts like an image data or slideshow file, so
    // that showing the file gets past its header.
    if (!m_printableFileData && count >= 3 && chance(30)) {
        data += char(interesting());
        data += char(interesting());
        data += char(chance(50) ? 8 : 16);
    }
    while (data.size() < count)
        data += m_printableFileData ? char(32 + below(95)) : char(byte());
    return data;
}

QByteArray StreamBuilder::imageCommand(bool wellFormed)
{
    static const quint8 kSides[] = {0, 1, 2, 3, 8, 63, 64, 65, 95, 96, 97, 128, 255};
    auto side = [this]() -> quint8 {
        if (chance(40))
            return quint8(1 + below(12));
        return kSides[below(sizeof kSides)];
    };
    quint8 w = side();
    quint8 h = side();
    if (wellFormed) {
        w = quint8(below(5));
        h = quint8(below(5));
    }
    quint8 depth = chance(50) ? 16 : 8;
    if (!wellFormed && chance(15))
        depth = byte();
    QByteArray out;
    out += char(0x49);
    out += char(interesting());
    out += char(interesting());
    out += char(w);
    out += char(h);
    out += char(depth);
    const int announced = depth == 8 || depth == 16 ? w * h * (depth / 8) : 0;
    int length = announced;
    if (!wellFormed) {
        const quint32 kind = below(10);
        if (kind < 2)
            length = int(below(quint32(announced + 1))); // short: the stream ends inside the pixels
        else if (kind < 4)
            length = announced + 1 + int(below(64)); // long: the rest is taken for commands
    }
    for (int i = 0; i < length; ++i)
        out += char(byte());
    return out;
}

QByteArray StreamBuilder::command(const CommandShape& shape)
{
    if (shape.layout == CommandLayout::Image)
        return imageCommand(false);

    QByteArray out;
    out += char(shape.code);
    int position = 1;
    if (shape.letter != 0) {
        out += char(shape.letter);
        ++position;
    }
    for (; position < shape.header; ++position)
        out += char(parameter(shape.id, position));

    switch (shape.layout) {
    case CommandLayout::Fixed:
    case CommandLayout::Image:
        break;
    case CommandLayout::Counted: {
        const int count = quint8(out.at(shape.header - 1));
        if (shape.id == CommandId::SdWrite) {
            out += fileData(count);
        } else {
            for (int i = 0; i < count * shape.unit; ++i)
                out += char(interesting());
        }
        for (int i = 0; i < shape.trailer; ++i)
            out += char(byte());
        break;
    }
    case CommandLayout::Terminated:
        out += isCardName(shape) ? cardName() : text(shape.limit);
        if (chance(92))
            out += '\0';
        break;
    }
    return out;
}

QByteArray StreamBuilder::command()
{
    return command(m_shapes.at(int(below(quint32(m_shapes.size())))));
}

QByteArray StreamBuilder::commands(int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += command();
    return out;
}

QByteArray StreamBuilder::wellFormedCommand(const CommandShape& shape)
{
    if (shape.layout == CommandLayout::Image)
        return imageCommand(true);
    QByteArray out;
    out += char(shape.code);
    int position = 1;
    if (shape.letter != 0) {
        out += char(shape.letter);
        ++position;
    }
    for (; position < shape.header; ++position)
        out += char(parameter(shape.id, position));
    if (shape.layout == CommandLayout::Counted) {
        const int count = int(below(4));
        out[shape.header - 1] = char(count);
        for (int i = 0; i < count * shape.unit + shape.trailer; ++i)
            out += char(interesting());
    } else if (shape.layout == CommandLayout::Terminated) {
        out += isCardName(shape) ? cardName().left(12) : QByteArray("Hi\r\nyou");
        out.replace('\0', 'A');
        out += '\0';
    }
    return out;
}

QByteArray StreamBuilder::mutated(QByteArray stream)
{
    const int mutations = 1 + int(below(8));
    for (int i = 0; i < mutations; ++i) {
        if (stream.isEmpty())
            stream += char(byte());
        const int at = int(below(quint32(stream.size())));
        switch (below(6)) {
        case 0: // flip one bit
            stream[at] = char(stream.at(at) ^ (1 << below(8)));
            break;
        case 1:
            stream[at] = char(byte());
            break;
        case 2:
            stream.remove(at, 1 + int(below(4)));
            break;
        case 3:
            stream.insert(at, QByteArray(1 + int(below(3)), stream.at(at)));
            break;
        case 4:
            stream.insert(at, randomBytes(1 + int(below(8))));
            break;
        default: // a piece of the stream once more
            stream.insert(at, stream.mid(int(below(quint32(stream.size()))), 1 + int(below(16))));
            break;
        }
    }
    if (chance(30))
        stream.truncate(int(below(quint32(stream.size()))));
    return stream;
}

QByteArray StreamBuilder::randomBytes(int count)
{
    QByteArray out(count, '\0');
    for (char& c : out)
        c = char(byte());
    return out;
}

QString Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

} // namespace tavrel::testing

// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/CommandFramer.h"

#include <array>
#include <cstring>

namespace quennel {

namespace {

using Layout = CommandLayout;
using Shape = CommandShape;

constexpr quint8 kDisplayPrefix = 0x24;
constexpr quint8 kSdPrefix = 0x40;
constexpr int kText = CommandFramer::kMaxTextLength;
constexpr int kName = CommandFramer::kMaxNameLength;

const Shape kShapes[] = {
    {0x50, 0, CommandId::SetPixel, Layout::Fixed, 5},
    {0x52, 0, CommandId::ReadPixel, Layout::Fixed, 3},
    {0x4C, 0, CommandId::DrawLine, Layout::Fixed, 7},
    {0x72, 0, CommandId::Rectangle, Layout::Fixed, 7},
    {0x47, 0, CommandId::Triangle, Layout::Fixed, 9},
    {0x43, 0, CommandId::Circle, Layout::Fixed, 6},
    {0x67, 0, CommandId::Polygon, Layout::Counted, 2, 2, 2},
    {0x63, 0, CommandId::CopyArea, Layout::Fixed, 9},
    {0x45, 0, CommandId::ClearScreen, Layout::Fixed, 1},
    {0x42, 0, CommandId::SetBackground, Layout::Fixed, 3},
    {0x70, 0, CommandId::PenSize, Layout::Fixed, 2},
    {0x46, 0, CommandId::SetFont, Layout::Fixed, 2},
    {0x4F, 0, CommandId::SetFontMode, Layout::Fixed, 2},
    {0x54, 0, CommandId::CharFormatted, Layout::Fixed, 6},
    {0x74, 0, CommandId::CharFree, Layout::Fixed, 6},
    {0x73, 0, CommandId::StringFormatted, Layout::Terminated, 6, 0, 0, kText},
    {0x53, 0, CommandId::StringFree, Layout::Terminated, 8, 0, 0, kText},
    {0x62, 0, CommandId::TextButton, Layout::Terminated, 11, 0, 0, kText},
    {0x41, 0, CommandId::AddUserChar, Layout::Fixed, 10},
    {0x44, 0, CommandId::DisplayUserChar, Layout::Fixed, 6},
    {0x56, 0, CommandId::DeviceInfo, Layout::Fixed, 2},
    {0x59, 0, CommandId::OledControl, Layout::Fixed, 3},
    {0x49, 0, CommandId::DisplayImage, Layout::Image, 6},

    {kDisplayPrefix, 'F', CommandId::RotateDisplay, Layout::Fixed, 3},
    {kDisplayPrefix, 'D', CommandId::DimArea, Layout::Fixed, 6},
    {kDisplayPrefix, 'S', CommandId::ScrollControl, Layout::Fixed, 4},
    {kDisplayPrefix, 'W', CommandId::ControllerCommand, Layout::Fixed, 3},

    {kSdPrefix, 'D', CommandId::SdDirectory, Layout::Fixed, 3},
    {kSdPrefix, 'W', CommandId::SdOpenWrite, Layout::Terminated, 2, 0, 0, kName},
    {kSdPrefix, 'R', CommandId::SdOpenRead, Layout::Terminated, 2, 0, 0, kName},
    {kSdPrefix, 'E', CommandId::SdErase, Layout::Terminated, 2, 0, 0, kName},
    {kSdPrefix, 'L', CommandId::SdLoadBinary, Layout::Terminated, 2, 0, 0, kName},
    {kSdPrefix, 'S', CommandId::SdPrintScreen, Layout::Terminated, 2, 0, 0, kName},
    {kSdPrefix, 'w', CommandId::SdWrite, Layout::Counted, 3, 1, 0},
    {kSdPrefix, 'r', CommandId::SdRead, Layout::Fixed, 3},
    {kSdPrefix, 'C', CommandId::SdClose, Layout::Fixed, 2},
    {kSdPrefix, 'F', CommandId::SdNorvel, Layout::Fixed, 2},
    {kSdPrefix, 'Y', CommandId::SdYModem, Layout::Fixed, 2},
    {kSdPrefix, 'B', CommandId::SdBitmap, Layout::Terminated, 4, 0, 0, kName},
    {kSdPrefix, 'I', CommandId::SdImage, Layout::Terminated, 4, 0, 0, kName},
    {kSdPrefix, 's', CommandId::SdSlideshow, Layout::Terminated, 6, 0, 0, kName},
};

bool isPrefix(quint8 code)
{
    return code == kDisplayPrefix || code == kSdPrefix;
}

// The shape of each command byte, and of each letter after the two prefix
// bytes, looked up directly: a host resynchronising sends long runs of bytes
// that are no command at all.
struct ShapeIndex {
    std::array<const Shape*, 256> plain{};
    std::array<const Shape*, 256> display{};
    std::array<const Shape*, 256> sd{};

    ShapeIndex()
    {
        for (const Shape& shape : kShapes) {
            if (shape.code == kDisplayPrefix)
                display[shape.letter] = &shape;
            else if (shape.code == kSdPrefix)
                sd[shape.letter] = &shape;
            else
                plain[shape.code] = &shape;
        }
    }
};

const Shape* findShape(quint8 code, quint8 letter)
{
    static const ShapeIndex index;
    if (code == kDisplayPrefix)
        return index.display[letter];
    if (code == kSdPrefix)
        return index.sd[letter];
    return letter == 0 ? index.plain[code] : nullptr;
}

} // namespace

QVector<CommandShape> commandShapes()
{
    return QVector<CommandShape>(std::begin(kShapes), std::end(kShapes));
}

QByteArray Packet::textAt(int i) const
{
    if (i >= size)
        return QByteArray();
    const void* end = std::memchr(data + i, 0, size_t(size - i));
    const int length = end ? int(static_cast<const quint8*>(end) - (data + i)) : size - i;
    return QByteArray(reinterpret_cast<const char*>(data + i), length);
}

void CommandFramer::append(const QByteArray& bytes)
{
    releaseConsumed();
    if (m_buffer.isEmpty())
        m_buffer = bytes; // shared with the caller until a partial command is left over
    else
        m_buffer.append(bytes);
}

void CommandFramer::releaseConsumed()
{
    const int left = bufferedBytes();
    if (left == 0) {
        m_buffer = QByteArray();
        m_pos = 0;
        return;
    }
    // A partial command growing in a buffer of its own is left alone. After
    // commands were cut from a large input, or while the bytes still belong
    // to the caller, the rest moves to a buffer of its own size.
    constexpr qsizetype kSlack = 4096;
    if (m_pos == 0 && m_buffer.isDetached() && m_buffer.capacity() <= 2 * qsizetype(left) + kSlack)
        return;
    m_buffer = QByteArray(m_buffer.constData() + m_pos, left);
    m_pos = 0;
}

void CommandFramer::clear()
{
    m_buffer.clear();
    m_pos = 0;
    m_skipToTerminator = false;
}

CommandFramer::Step CommandFramer::next()
{
    const Step step = cut();
    if (step.outcome == Outcome::NeedMore)
        releaseConsumed();
    return step;
}

CommandFramer::Step CommandFramer::cut()
{
    const auto* data = reinterpret_cast<const quint8*>(m_buffer.constData()) + m_pos;
    const int size = int(m_buffer.size()) - m_pos;
    Step step;

    if (m_skipToTerminator) {
        const void* zero = std::memchr(data, 0, size_t(size));
        if (!zero) {
            m_pos += size;
            return step;
        }
        const int skipped = int(static_cast<const quint8*>(zero) - data) + 1;
        m_skipToTerminator = false;
        m_pos += skipped;
        return cut();
    }

    if (size == 0)
        return step;

    auto fail = [&](int dropped, int errors = 1) {
        m_pos += dropped;
        step.outcome = Outcome::Error;
        step.errors = errors;
        return step;
    };
    auto complete = [&](const Shape& shape, int length) {
        if (size < length)
            return step;
        step.outcome = Outcome::Command;
        step.id = shape.id;
        step.packet = Packet{data, length};
        m_pos += length;
        return step;
    };

    const quint8 code = data[0];
    const Shape* shape = nullptr;
    if (isPrefix(code)) {
        if (size < 2)
            return step;
        shape = findShape(code, data[1]);
        if (!shape)
            return fail(2);
    } else {
        shape = findShape(code, 0);
        if (!shape) {
            int run = 1;
            while (run < size && !isPrefix(data[run]) && !findShape(data[run], 0))
                ++run;
            return fail(run, run);
        }
    }

    switch (shape->layout) {
    case Layout::Fixed:
        return complete(*shape, shape->header);
    case Layout::Counted: {
        if (size < shape->header)
            return step;
        const int count = data[shape->header - 1];
        return complete(*shape, shape->header + count * shape->unit + shape->trailer);
    }
    case Layout::Image: {
        if (size < shape->header)
            return step;
        const int depth = data[5];
        if (depth != 8 && depth != 16)
            return fail(shape->header);
        return complete(*shape, shape->header + data[3] * data[4] * (depth / 8));
    }
    case Layout::Terminated: {
        // Look for the 0 no further than one byte past the longest text.
        const int available = qMin(size - shape->header, shape->limit + 1);
        if (available <= 0)
            return step;
        const void* zero = std::memchr(data + shape->header, 0, size_t(available));
        if (zero)
            return complete(*shape, int(static_cast<const quint8*>(zero) - data) + 1);
        if (available > shape->limit) {
            m_skipToTerminator = true;
            return fail(shape->header + available);
        }
        return step;
    }
    }
    return step;
}

} // namespace quennel

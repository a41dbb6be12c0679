#include "emulator/CommandFramer.h"

#include <cstring>

namespace quennel {

namespace {

enum class Layout : quint8 {
    Fixed,      // always `header` bytes
    Terminated, // `header` bytes, then a text of at most `limit` bytes, then 0
    Counted,    // `header` bytes ending in a count n, then n * `unit` bytes, then `trailer`
    Image,      // 6-byte header x, y, w, h, depth, then w * h * depth / 8 bytes
};

struct Shape {
    quint8 code;
    quint8 letter; // second byte after a prefix byte, 0 for plain commands
    CommandId id;
    Layout layout;
    quint8 header;
    quint8 unit = 0;
    quint8 trailer = 0;
    quint16 limit = 0;
};

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

const Shape* findShape(quint8 code, quint8 letter)
{
    for (const Shape& shape : kShapes) {
        if (shape.code == code && shape.letter == letter)
            return &shape;
    }
    return nullptr;
}

} // namespace

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
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    m_buffer.append(bytes);
}

void CommandFramer::clear()
{
    m_buffer.clear();
    m_pos = 0;
    m_skipToTerminator = false;
}

CommandFramer::Step CommandFramer::next()
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
        return next();
    }

    if (size == 0)
        return step;

    auto fail = [&](int dropped) {
        m_pos += dropped;
        step.outcome = Outcome::Error;
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
        if (!shape)
            return fail(1);
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

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

namespace quennel {

// Every command the module understands. Commands after a prefix byte (0x24
// display-specific, 0x40 SD card) are identified by prefix and letter.
enum class CommandId : quint8 {
    SetPixel,
    ReadPixel,
    DrawLine,
    Rectangle,
    Triangle,
    Circle,
    Polygon,
    CopyArea,
    ClearScreen,
    SetBackground,
    PenSize,
    SetFont,
    SetFontMode,
    CharFormatted,
    CharFree,
    StringFormatted,
    StringFree,
    TextButton,
    AddUserChar,
    DisplayUserChar,
    DeviceInfo,
    OledControl,
    RotateDisplay,
    DimArea,
    ScrollControl,
    ControllerCommand,
    DisplayImage,
    SdDirectory,
    SdOpenWrite,
    SdOpenRead,
    SdErase,
    SdLoadBinary,
    SdPrintScreen,
    SdWrite,
    SdRead,
    SdClose,
    SdNorvel,
    SdYModem,
    SdBitmap,
    SdImage,
    SdSlideshow,
    Count
};

// One complete command as received, command byte first. Valid until the
// framer is given more bytes.
struct Packet {
    const quint8* data = nullptr;
    int size = 0;

    quint8 at(int i) const { return i < size ? data[i] : 0; }
    // The RGB565 colour sent high byte first at position i.
    quint16 colourAt(int i) const { return quint16((at(i) << 8) | at(i + 1)); }
    // The 0-terminated text that starts at position i, without its 0.
    QByteArray textAt(int i) const;
};

// How the framer finds where a command ends.
enum class CommandLayout : quint8 {
    Fixed,      // always `header` bytes
    Terminated, // `header` bytes, then a text of at most `limit` bytes, then 0
    Counted,    // `header` bytes ending in a count n, then n * `unit` bytes, then `trailer`
    Image,      // 6-byte header x, y, w, h, depth, then w * h * depth / 8 bytes
};

// One row of the command table: the bytes that name a command and how its
// length is found.
struct CommandShape {
    quint8 code;
    quint8 letter; // second byte after a prefix byte, 0 for plain commands
    CommandId id;
    CommandLayout layout;
    quint8 header;
    quint8 unit = 0;
    quint8 trailer = 0;
    quint16 limit = 0;
};

// Every command shape the framer knows, in table order.
QVector<CommandShape> commandShapes();

// Cuts the received byte stream into whole commands. Bytes may arrive split
// anywhere: a partial command stays buffered until the rest comes.
//
// Errors resynchronise as follows: an unknown command byte is dropped alone;
// an unknown letter after 0x24 or 0x40 is dropped together with its prefix;
// a Display Image header with a colour depth other than 8 or 16 is dropped
// (6 bytes); a text or file name longer than its limit drops what has arrived
// and then skips everything up to and including the next 0 byte, so the rest
// of the over-long text is not taken for commands.
//
// A host that has lost track of the framing gets back to a command boundary
// by sending kResyncZeros zero bytes: a 0 completes any header, count or
// pixel still pending (the command cut short then runs with zeros for the
// rest), ends any text or name, and is refused as a command byte on its own,
// so the zeros beyond the boundary change nothing. No shorter sequence can
// do: a Display Image header may have announced that many pixel bytes.
//
// Memory: between calls the framer keeps at most one partial command (less
// than kLongestCommand bytes); the input handed to append() is released
// once it has been cut.
class CommandFramer {
public:
    // Longest text (strings, buttons) and file name accepted, without the 0.
    static constexpr int kMaxTextLength = 300;
    static constexpr int kMaxNameLength = 64;
    // The longest command: a 255 x 255 Display Image at 16 bits.
    static constexpr int kLongestCommand = 6 + 255 * 255 * 2;
    static constexpr int kResyncZeros = kLongestCommand - 6;

    enum class Outcome { NeedMore, Command, Error };
    struct Step {
        Outcome outcome = Outcome::NeedMore;
        CommandId id = CommandId::Count;
        Packet packet;
        // For an error, the number of refusals it stands for: a run of bytes
        // that are no command is refused byte by byte, but cut in one step.
        int errors = 0;
    };

    void append(const QByteArray& bytes);
    // The next whole command or framing error; NeedMore when the buffered
    // bytes do not yet make up a command.
    Step next();
    void clear();
    int bufferedBytes() const { return int(m_buffer.size()) - m_pos; }
    // Bytes the framer holds on to, consumed ones and spare capacity included.
    qsizetype retainedBytes() const { return m_buffer.capacity(); }

private:
    // next() without the clean-up: finds the next command or error.
    Step cut();
    // Lets go of the bytes already cut, keeping only a partial command.
    void releaseConsumed();

    QByteArray m_buffer;
    int m_pos = 0;
    bool m_skipToTerminator = false;
};

} // namespace quennel

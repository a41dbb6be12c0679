#pragma once

#include <QByteArray>
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

// Cuts the received byte stream into whole commands. Bytes may arrive split
// anywhere: a partial command stays buffered until the rest comes.
//
// Errors resynchronise as follows: an unknown command byte is dropped alone;
// an unknown letter after 0x24 or 0x40 is dropped together with its prefix;
// a Display Image header with a colour depth other than 8 or 16 is dropped
// (6 bytes); a text or file name longer than its limit drops what has arrived
// and then skips everything up to and including the next 0 byte, so the rest
// of the over-long text is not taken for commands.
class CommandFramer {
public:
    // Longest text (strings, buttons) and file name accepted, without the 0.
    static constexpr int kMaxTextLength = 300;
    static constexpr int kMaxNameLength = 64;

    enum class Outcome { NeedMore, Command, Error };
    struct Step {
        Outcome outcome = Outcome::NeedMore;
        CommandId id = CommandId::Count;
        Packet packet;
    };

    void append(const QByteArray& bytes);
    // The next whole command or framing error; NeedMore when the buffered
    // bytes do not yet make up a command.
    Step next();
    void clear();
    int bufferedBytes() const { return int(m_buffer.size()) - m_pos; }

private:
    QByteArray m_buffer;
    int m_pos = 0;
    bool m_skipToTerminator = false;
};

} // namespace quennel

// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/DisplayImageCommand.h"

#include "imaging/ImageFiles.h"
#include "imaging/PixelFormats.h"
#include "link/Bounds.h"
#include "link/ParseDecimal.h"

#include <QThread>

#include <chrono>

namespace tavrel {

namespace {

constexpr int kLoggedBytes = 10;
// The last stretch of a pause is waited out by watching the clock instead of
// sleeping: a sleep overshoots by the system's timer slack and wake-up delay
// (about a tenth of a millisecond), which 65 pauses would add up. The
// stretch stays short, because a long busy wait on a busy machine gets the
// process preempted and overshoots more than a sleep.
constexpr qint64 kSpinNs = 300000;

} // namespace

qint64 MonotonicNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

void PauseUntil(qint64 sinceNs, int pauseMs)
{
    const qint64 deadline = sinceNs + qint64(pauseMs) * 1000000;
    const qint64 sleepNs = deadline - kSpinNs - MonotonicNs();
    if (sleepNs > 0)
        QThread::usleep(static_cast<unsigned long>(sleepNs / 1000));
    while (MonotonicNs() < deadline) {
    }
}

QByteArray DisplayImageHeader(quint8 x, quint8 y, int width, int height, int depth)
{
    QByteArray header;
    header.append(static_cast<char>(0x49));
    header.append(static_cast<char>(x));
    header.append(static_cast<char>(y));
    header.append(static_cast<char>(width & 0xFF));
    header.append(static_cast<char>(height & 0xFF));
    header.append(static_cast<char>(depth & 0xFF));
    return header;
}

QString DisplayImageLogLine(const QByteArray& sent, qint64 written)
{
    QString line = QStringLiteral("Display Image: ");
    const int shown = qMin(kLoggedBytes, int(sent.size()));
    for (int i = 0; i < shown; ++i)
        line += QString::number(static_cast<quint8>(sent.at(i))) + QStringLiteral(", ");
    return line + QStringLiteral("... : %1 bytes written").arg(written);
}

CommandOutcome DisplayImage(PanelSession& session)
{
    DialogRequest request{DialogKind::DisplayImage,
                          {{QStringLiteral("x"), session.m_lastX[0]},
                           {QStringLiteral("y"), session.m_lastY[0]},
                           {QStringLiteral("depth"), QString::number(kDepth16), false},
                           {QStringLiteral("dither"), QStringLiteral("0"), false}}};
    if (!session.host().runDialog(request))
        return CommandOutcome::Cancelled;
    const int depth = ParseDecimal(request.value(QStringLiteral("depth")));
    if (!IsPictureDepth(depth)) {
        session.host().showMessage(QStringLiteral("The bit depth must be 16 or 8."), PictureMessageCaption());
        return CommandOutcome::Refused;
    }
    if (request.picture.isNull()) {
        session.host().showMessage(QStringLiteral("There is no picture to display."), PictureMessageCaption());
        return CommandOutcome::Refused;
    }
    const Dithering dithering =
        request.value(QStringLiteral("dither")) == QLatin1String("1") ? Dithering::FloydSteinberg : Dithering::Off;
    return SendDisplayImage(session, request.value(QStringLiteral("x")), request.value(QStringLiteral("y")),
                            request.picture, PixelEncoding(depth, dithering));
}

CommandOutcome SendDisplayImage(PanelSession& session, const QString& xText, const QString& yText,
                                const QImage& picture, const PixelEncoding& encoding)
{
    const int depth = encoding.depth;
    qint32 x = 0;
    qint32 y = 0;
    if (!session.AcceptSlotZeroPoint(xText, yText, x, y))
        return CommandOutcome::Refused;

    // The whole transfer fits the module's buffer of 6 + 96 x 64 x 2 bytes.
    QImage shown = picture;
    if (shown.width() > kPictureMaxWidth || shown.height() > kPictureMaxHeight)
        shown = shown.copy(0, 0, qMin(shown.width(), kPictureMaxWidth), qMin(shown.height(), kPictureMaxHeight));
    const int w = shown.width();
    const int h = shown.height();
    const QByteArray stream = EncodePixelStream(shown, encoding, PixelByteOrder::Line);
    const QByteArray header = DisplayImageHeader(LowByte(x), LowByte(y), w, h, depth);
    const int pixelBytes = depth / 8;
    const QString what = QStringLiteral("Display Image");

    PanelHost& host = session.host();
    host.reportProgress(what, 0, h);
    qint64 written = session.WritePacket(header, what);
    // The first write the link does not take whole ends the transfer: the
    // module has lost its place in the stream (or the link is gone), and
    // pacing the rest out would only keep the user waiting.
    bool linkHolds = written == header.size();
    if (linkHolds)
        PauseUntil(MonotonicNs(), kImageHeaderPauseMs);
    const char* next = stream.constData();
    for (int row = 0; row < h && linkHolds; ++row) {
        for (int col = 0; col < w && linkHolds; ++col, next += pixelBytes) {
            const qint64 taken = session.WriteUnwaited(QByteArray(next, pixelBytes), what);
            written += taken;
            linkHolds = taken == pixelBytes;
        }
        const qint64 dropped = session.DrainOutput();
        written -= dropped;
        if (dropped > 0)
            linkHolds = false;
        if (!linkHolds)
            break;
        // The pause starts once the row has been handed over; showing the
        // progress takes place inside it.
        const qint64 rowDone = MonotonicNs();
        host.reportProgress(what, row + 1, h);
        PauseUntil(rowDone, kImageRowPauseMs);
    }
    // A transfer cut short still ends its progress display.
    if (!linkHolds)
        host.reportProgress(what, h, h);

    session.ShowLog(DisplayImageLogLine(header + stream, written));
    session.ReadAckReply();
    return CommandOutcome::Sent;
}

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/PictureFile.h"

#include "imaging/DecodeBudget.h"
#include "imaging/PictureDecoding.h"
#include "imaging/PictureFileOpen.h"
#include "imaging/PixelFormats.h"
#include "imaging/SvgPicture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

namespace tavrel {

namespace {

PictureReadResult Failure(const QString& path, PictureReadStatus status)
{
    PictureReadResult result;
    result.path = path;
    result.status = status;
    return result;
}

// Decodes the picture in the first `size` bytes of `file` and, with a rule,
// converts it; both within the picture's share of the decoding memory, so
// that the whole picture is gone before another decode may take that share.
PictureReadResult DecodeDevice(QIODevice& file, qint64 size, const QString& path, const DecodeRequest& request,
                               const ResizeRule* convertBy, QImage& picture, bool asStored)
{
    // The structure first: no decoder sees a file whose every length and
    // count has not been checked against the file.
    const PictureLayout layout = ReadPictureLayout(file, size);
    if (layout.format == PictureFormat::Svg && size > kMaxSvgFileBytes) {
        PictureReadResult result = Failure(path, PictureReadStatus::FileTooLarge);
        result.fileBytes = size;
        result.maxFileBytes = kMaxSvgFileBytes;
        return result;
    }
    // The size the header claims is judged first, whatever else is wrong
    // with the file and whatever part of it is to be decoded.
    PictureReadResult result = Failure(path, PictureReadStatus::TooManyPixels);
    result.pixels = layout.size;
    if (qint64(layout.size.width()) * layout.size.height() > kMaxPicturePixels)
        return result;
    if (!layout.sound)
        return Failure(path, PictureReadStatus::Undecodable);
    if (!CanDecodeFormat(layout)) {
        result.status = PictureReadStatus::FormatUnavailable;
        result.format = layout.format;
        return result;
    }
    if (!layout.externalReference.isEmpty()) {
        result.status = PictureReadStatus::ExternalReference;
        result.reference = layout.externalReference;
        return result;
    }
    result.neededBytes = DecodeBytesNeeded(layout, request);
    if (result.neededBytes > kMaxPictureDecodeBytes) {
        result.status = PictureReadStatus::NeedsTooMuchMemory;
        return result;
    }

    const DecodeReservation reservation(result.neededBytes, kMaxPictureDecodeBytes);
    if (layout.format == PictureFormat::Svg) {
        // Drawing has no size to check beforehand: it is counted by going
        // through the drawing once without painting.
        result.drawWork = SvgDrawWork(ReadSvgText(file, layout), layout.size, request);
        if (result.drawWork < 0)
            return Failure(path, PictureReadStatus::Undecodable);
        if (result.drawWork > kMaxSvgDrawWork) {
            result.status = PictureReadStatus::TooMuchDrawing;
            return result;
        }
    }
    QImage decoded;
    if (!DecodePicture(file, layout, request, decoded))
        return Failure(path, PictureReadStatus::Undecodable);
    if (request.part == DecodeRequest::Part::TopLeft
        && (decoded.width() > request.region.width() || decoded.height() > request.region.height()))
        decoded = decoded.copy(QRect(QPoint(0, 0), request.region.boundedTo(decoded.size())));
    picture = asStored ? std::move(decoded) : OpaqueRgb32(std::move(decoded));
    if (picture.isNull())
        return Failure(path, PictureReadStatus::Undecodable);
    if (convertBy)
        picture = ConvertPicture(picture, *convertBy);
    result.status = PictureReadStatus::Decoded;
    return result;
}

PictureReadResult Decode(const QString& path, const DecodeRequest& request, const ResizeRule* convertBy,
                         QImage& picture, bool asStored = false)
{
    picture = QImage();
    QFile file;
    const PictureFileCheck check = OpenPictureFile(path, kMaxPictureFileBytes, file);
    switch (check.problem) {
    case PictureFileProblem::None:
        break;
    case PictureFileProblem::Unreadable:
        return Failure(path, PictureReadStatus::Undecodable);
    case PictureFileProblem::NotRegularFile: {
        PictureReadResult result = Failure(path, PictureReadStatus::NotRegularFile);
        result.fileKind = check.kind;
        return result;
    }
    case PictureFileProblem::TooLarge: {
        PictureReadResult result = Failure(path, PictureReadStatus::FileTooLarge);
        result.fileBytes = check.size;
        return result;
    }
    }

    return DecodeDevice(file, check.size, path, request, convertBy, picture, asStored);
}

DecodeRequest RequestFor(const ResizeRule& rule)
{
    DecodeRequest request;
    if (rule.mode == ResizeMode::NoResize) {
        request.part = DecodeRequest::Part::TopLeft;
        request.region = QSize(kPictureMaxWidth, kPictureMaxHeight);
    } else {
        request.part = DecodeRequest::Part::Reduced;
        request.region = ConvertedSize(QSize(), rule);
    }
    return request;
}

QString Quoted(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

} // namespace

QString PictureOpenFailureText()
{
    return QStringLiteral("File not found or invalid format");
}

QString PictureReadFailureText(const PictureReadResult& result)
{
    constexpr qint64 kMegabyte = 1024 * 1024;
    // A picture without a path came from the clipboard.
    const QString picture =
        result.path.isEmpty() ? QStringLiteral("The pasted picture") : QStringLiteral("The picture ") + Quoted(result.path);
    switch (result.status) {
    case PictureReadStatus::Decoded:
        return QString();
    case PictureReadStatus::Undecodable:
        break;
    case PictureReadStatus::NotRegularFile:
        return QStringLiteral("Cannot read %1: it is %2, not a regular file. Pictures are read from files only.")
            .arg(Quoted(result.path), result.fileKind);
    case PictureReadStatus::FileTooLarge:
        if (result.maxFileBytes != kMaxPictureFileBytes)
            return QStringLiteral("The picture file %1 is too large (%2 bytes). SVG files may be at most %3 MB.")
                .arg(result.path.isEmpty() ? QStringLiteral("pasted") : Quoted(result.path))
                .arg(result.fileBytes)
                .arg(result.maxFileBytes / kMegabyte);
        return QStringLiteral("The picture file %1 is too large (%2 bytes). Picture files may be at most %3 MB.")
            .arg(result.path.isEmpty() ? QStringLiteral("pasted") : Quoted(result.path))
            .arg(result.fileBytes)
            .arg(kMaxPictureFileBytes / kMegabyte);
    case PictureReadStatus::TooManyPixels:
        return QStringLiteral("%1 is too large: %2x%3 pixels. Pictures may have at most %4 megapixels "
                              "(8192x8192 pixels).")
            .arg(picture)
            .arg(result.pixels.width())
            .arg(result.pixels.height())
            .arg(kMaxPicturePixels / kMegabyte);
    case PictureReadStatus::NeedsTooMuchMemory:
        return QStringLiteral("%1 is too large: decoding its %2x%3 pixels would take %4 MB of memory. "
                              "Decoding a picture may take at most %5 MB.")
            .arg(picture)
            .arg(result.pixels.width())
            .arg(result.pixels.height())
            .arg((result.neededBytes + kMegabyte - 1) / kMegabyte)
            .arg(kMaxPictureDecodeBytes / kMegabyte);
    case PictureReadStatus::FormatUnavailable:
        if (result.format == PictureFormat::Svg)
            return QStringLiteral("%1 is an SVG drawing, which this build of Tavrel cannot draw: it was built "
                                  "without Qt SVG.")
                .arg(picture);
        return QStringLiteral("%1 is a %2 picture, which Tavrel cannot read on this system: Qt's image format "
                              "plugin for %2 is not installed (on Debian and Ubuntu it comes with the package "
                              "qt6-image-formats-plugins).")
            .arg(picture, result.format == PictureFormat::Webp ? QStringLiteral("WebP") : QStringLiteral("TIFF"));
    case PictureReadStatus::ExternalReference:
        return QStringLiteral("%1 refers to a picture outside it (\"%2\"). Tavrel draws only what an SVG file "
                              "holds itself and loads no other file or address.")
            .arg(picture, result.reference);
    case PictureReadStatus::TooMuchDrawing:
        return QStringLiteral("%1 is too complex to draw: drawing it at %2x%3 pixels would cover %4 million "
                              "pixels. Drawing a picture may cover at most %5 million.")
            .arg(picture)
            .arg(result.pixels.width())
            .arg(result.pixels.height())
            .arg((result.drawWork + 999999) / 1000000)
            .arg(kMaxSvgDrawWork / 1000000);
    }
    return PictureOpenFailureText();
}

PictureReadResult ReadPictureData(const QByteArray& bytes, QImage& picture)
{
    picture = QImage();
    if (bytes.size() > kMaxPictureFileBytes) {
        PictureReadResult result = Failure(QString(), PictureReadStatus::FileTooLarge);
        result.fileBytes = bytes.size();
        return result;
    }
    QBuffer buffer;
    buffer.setData(bytes);
    if (bytes.isEmpty() || !buffer.open(QIODevice::ReadOnly))
        return Failure(QString(), PictureReadStatus::Undecodable);
    return DecodeDevice(buffer, bytes.size(), QString(), DecodeRequest(), nullptr, picture, false);
}

PictureReadResult ReadPicture(const QString& path, QImage& picture)
{
    return Decode(path, DecodeRequest(), nullptr, picture);
}

PictureReadResult ReadPictureAsStored(const QString& path, QImage& picture)
{
    return Decode(path, DecodeRequest(), nullptr, picture, true);
}

PictureReadResult ReadConvertedPicture(const QString& path, const ResizeRule& rule, QImage& converted)
{
    return Decode(path, RequestFor(rule), &rule, converted);
}

PictureReadResult ConvertPictureFile(const QString& path, const QImage& whole, const ResizeRule& rule,
                                     QImage& converted)
{
    converted = QImage();
    QFile file;
    if (OpenPictureFile(path, kMaxPictureFileBytes, file).problem == PictureFileProblem::None) {
        const PictureFormat format = SniffPictureFormat(file.peek(64));
        file.close();
        const bool reduced = format == PictureFormat::Jpeg || format == PictureFormat::Webp;
        if ((reduced && rule.mode != ResizeMode::NoResize) || format == PictureFormat::Svg)
            return ReadConvertedPicture(path, rule, converted);
    }
    if (whole.isNull())
        return Failure(path, PictureReadStatus::Undecodable);
    converted = ConvertPicture(whole, rule);
    PictureReadResult result;
    result.path = path;
    result.status = PictureReadStatus::Decoded;
    return result;
}

} // namespace tavrel

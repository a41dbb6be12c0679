// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/PictureFile.h"

#include "imaging/DecodeBudget.h"
#include "imaging/PictureDecoding.h"
#include "imaging/PictureFileOpen.h"
#include "imaging/PixelFormats.h"

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

// Decodes the picture and, with a rule, converts it; both within the
// picture's share of the decoding memory, so that the whole picture is gone
// before another decode may take that share.
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

    // The structure first: no decoder sees a file whose every length and
    // count has not been checked against the file.
    const PictureLayout layout = ReadPictureLayout(file, check.size);
    if (!layout.sound)
        return Failure(path, PictureReadStatus::Undecodable);
    PictureReadResult result = Failure(path, PictureReadStatus::TooManyPixels);
    result.pixels = layout.size;
    if (qint64(layout.size.width()) * layout.size.height() > kMaxPicturePixels)
        return result;
    result.neededBytes = DecodeBytesNeeded(layout, request);
    if (result.neededBytes > kMaxPictureDecodeBytes) {
        result.status = PictureReadStatus::NeedsTooMuchMemory;
        return result;
    }

    const DecodeReservation reservation(result.neededBytes, kMaxPictureDecodeBytes);
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
    switch (result.status) {
    case PictureReadStatus::Decoded:
        return QString();
    case PictureReadStatus::Undecodable:
        break;
    case PictureReadStatus::NotRegularFile:
        return QStringLiteral("Cannot read %1: it is %2, not a regular file. Pictures are read from files only.")
            .arg(Quoted(result.path), result.fileKind);
    case PictureReadStatus::FileTooLarge:
        return QStringLiteral("The picture file %1 is too large (%2 bytes). Picture files may be at most %3 MB.")
            .arg(Quoted(result.path))
            .arg(result.fileBytes)
            .arg(kMaxPictureFileBytes / kMegabyte);
    case PictureReadStatus::TooManyPixels:
        return QStringLiteral("The picture %1 is too large: %2x%3 pixels. Pictures may have at most %4 megapixels "
                              "(8192x8192 pixels).")
            .arg(Quoted(result.path))
            .arg(result.pixels.width())
            .arg(result.pixels.height())
            .arg(kMaxPicturePixels / kMegabyte);
    case PictureReadStatus::NeedsTooMuchMemory:
        return QStringLiteral("The picture %1 is too large: decoding its %2x%3 pixels would take %4 MB of memory. "
                              "Decoding a picture may take at most %5 MB.")
            .arg(Quoted(result.path))
            .arg(result.pixels.width())
            .arg(result.pixels.height())
            .arg((result.neededBytes + kMegabyte - 1) / kMegabyte)
            .arg(kMaxPictureDecodeBytes / kMegabyte);
    }
    return PictureOpenFailureText();
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
    if (rule.mode != ResizeMode::NoResize) {
        QFile file;
        const PictureFileCheck check = OpenPictureFile(path, kMaxPictureFileBytes, file);
        if (check.problem == PictureFileProblem::None && SniffPictureFormat(file.peek(8)) == PictureFormat::Jpeg)
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

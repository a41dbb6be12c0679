#include "imaging/ImageFiles.h"

#include "imaging/PictureConversion.h"
#include "imaging/PixelFormats.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace tavrel {

QString PictureMessageCaption()
{
    return QStringLiteral("Tavrel");
}

QByteArray PictureDataHeader(int width, int height, int depth)
{
    QByteArray header;
    header.append(static_cast<char>(width & 0xFF));
    header.append(static_cast<char>(height & 0xFF));
    header.append(static_cast<char>(depth & 0xFF));
    return header;
}

QByteArray ImageDataFileBytes(const QImage& picture, int depth)
{
    return PictureDataHeader(picture.width(), picture.height(), depth)
        + EncodePixelStream(picture, depth, PixelByteOrder::File);
}

QString SaveResultText(const SaveResult& result)
{
    switch (result.status) {
    case SaveStatus::Saved:
        return QStringLiteral("Save to file complete.");
    case SaveStatus::OpenFailed:
        return QStringLiteral("Failed to open output file.");
    case SaveStatus::Refused:
        return result.detail;
    case SaveStatus::WriteFailed:
        break;
    }
    QString text = QStringLiteral("Failed to write output file");
    if (!result.detail.isEmpty())
        text += QStringLiteral(" (%1)").arg(result.detail);
    return text + QStringLiteral(". An earlier file of that name was left unchanged.");
}

SaveResult SaveFileAtomically(const QString& path, const std::function<bool(QIODevice& out)>& write)
{
    SaveResult result;
    if (path.isEmpty()) {
        result.status = SaveStatus::OpenFailed;
        return result;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.status = SaveStatus::OpenFailed;
        result.detail = file.errorString();
        return result;
    }
    const bool written = write(file);
    if (!written || file.error() != QFileDevice::NoError) {
        result.status = SaveStatus::WriteFailed;
        result.detail = file.error() != QFileDevice::NoError ? file.errorString() : QString();
        file.cancelWriting();
        file.commit();  // discards the temporary file
        return result;
    }
    if (!file.commit()) {
        result.status = SaveStatus::WriteFailed;
        result.detail = file.errorString();
    }
    return result;
}

SaveResult SaveImageDataFile(const QString& path, const QImage& picture, int depth)
{
    const QByteArray bytes = ImageDataFileBytes(picture, depth);
    return SaveFileAtomically(path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); });
}

SaveResult SaveBmpFile(const QString& path, const QImage& picture)
{
    // RGB888 makes Qt's BMP writer use 24 bits per pixel; palette and alpha
    // formats would be written as 8- or 32-bit files.
    const QImage rgb = OpaqueRgb888(picture);
    return SaveFileAtomically(path, [&rgb](QIODevice& out) {
        QImageWriter writer(&out, "bmp");
        return !rgb.isNull() && writer.write(rgb);
    });
}

QString WithDefaultSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    const QString extended = path + QLatin1Char('.') + suffix;
    return QFileInfo::exists(extended) ? path : extended;
}

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/dialogs/PictureDrops.h"

#include "imaging/PictureConversion.h"
#include "imaging/PictureLayout.h"

#include <QAbstractButton>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace tavrel {

namespace {

QString g_pictureToOpen;

// Takes the drags and drops of picture files meant for the main window.
class MainWindowDrops final : public QObject {
public:
    explicit MainWindowDrops(QWidget* window)
        : QObject(window)
        , m_window(window)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window)
            return false;
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (DroppedFilePaths(drag->mimeData()).isEmpty())
                return false;
            drag->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList paths = DroppedFilePaths(drop->mimeData());
            if (paths.isEmpty())
                return false;
            drop->acceptProposedAction();
            // The dialog runs after the drop has ended, so that the program
            // the picture was dragged from is not kept waiting.
            QPointer<QWidget> window = m_window;
            const QString path = paths.first();
            QTimer::singleShot(0, m_window, [window, path] {
                auto* button = window ? window->findChild<QAbstractButton*>(QStringLiteral("displayImageButton"))
                                      : nullptr;
                if (!button || !button->isEnabled())
                    return;
                g_pictureToOpen = path;
                button->click();
                g_pictureToOpen.clear();
            });
            return true;
        }
        return false;
    }

private:
    QWidget* m_window;
};

} // namespace

QStringList DroppedFilePaths(const QMimeData* mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && !QFileInfo(path).isDir())
            paths << path;
    }
    return paths;
}

QStringList AcceptFileDrag(QDropEvent* event)
{
    const QStringList paths = DroppedFilePaths(event->mimeData());
    if (!paths.isEmpty())
        event->acceptProposedAction();
    return paths;
}

bool HoldsPicture(const QMimeData* mime)
{
    if (!mime)
        return false;
    if (mime->hasImage() || !DroppedFilePaths(mime).isEmpty())
        return true;
    for (const QString& format : mime->formats())
        if (format.startsWith(QLatin1String("image/")))
            return true;
    return false;
}

PictureReadResult PastedPicture(const QMimeData* mime, QImage& picture, QString& path)
{
    picture = QImage();
    path.clear();
    PictureReadResult result;
    result.status = PictureReadStatus::Undecodable;
    if (!mime)
        return result;
    const QStringList files = DroppedFilePaths(mime);
    if (!files.isEmpty()) {
        path = files.first();
        return ReadPicture(path, picture);
    }
    // The bytes as the other program wrote them, read by the same walks
    // and decoders as a file: a hostile page cannot hand over a bomb.
    for (const QString& format : mime->formats()) {
        if (!format.startsWith(QLatin1String("image/")))
            continue;
        const QByteArray bytes = mime->data(format);
        if (SniffPictureFormat(bytes.left(64)) != PictureFormat::Unknown)
            return ReadPictureData(bytes, picture);
    }
    if (mime->hasImage()) {
        // Already a picture, made within this program.
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        result.pixels = image.size();
        if (qint64(image.width()) * image.height() > kMaxPicturePixels) {
            result.status = PictureReadStatus::TooManyPixels;
            return result;
        }
        picture = OpaqueRgb32(image);
        if (!picture.isNull())
            result.status = PictureReadStatus::Decoded;
    }
    return result;
}

void AcceptDroppedPictures(QWidget* window)
{
    window->setAcceptDrops(true);
    window->installEventFilter(new MainWindowDrops(window));
}

QString TakePictureToOpen()
{
    QString path;
    path.swap(g_pictureToOpen);
    return path;
}

} // namespace tavrel

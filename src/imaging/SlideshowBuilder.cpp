// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/SlideshowBuilder.h"

#include "imaging/PictureFile.h"
#include "imaging/PixelFormats.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace tavrel {

int SortedInsertIndex(const QStringList& sorted, const QString& path)
{
    int index = 0;
    while (index < sorted.size() && sorted.at(index).compare(path, Qt::CaseInsensitive) <= 0)
        ++index;
    return index;
}

QStringList SortedPicturePaths(const QStringList& paths)
{
    QStringList sorted;
    for (const QString& path : paths)
        sorted.insert(SortedInsertIndex(sorted, path), path);
    return sorted;
}

std::vector<Slide> ConvertSlides(const QStringList& paths, const ResizeRule& rule,
                                 const std::function<void(int index, const Slide& slide)>& ready, int threads)
{
    const int count = int(paths.size());
    std::vector<Slide> slides(static_cast<size_t>(count));
    std::vector<char> done(static_cast<size_t>(count), 0);
    QMutex mutex;
    QWaitCondition finished;

    // The largest files start first, so that no core is left with one big
    // picture at the end while the others wait.
    std::vector<int> order(static_cast<size_t>(count));
    std::vector<qint64> sizes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        order[size_t(i)] = i;
        sizes[size_t(i)] = QFileInfo(paths.at(i)).size();
    }
    std::stable_sort(order.begin(), order.end(), [&sizes](int a, int b) { return sizes[size_t(a)] > sizes[size_t(b)]; });
    // Each worker takes the next picture, decodes and converts it; the
    // pictures are independent, so the order of work does not change any
    // byte.
    std::atomic<int> next {0};
    const auto work = [&] {
        for (int taken = next++; taken < count; taken = next++) {
            const int i = order[size_t(taken)];
            Slide slide;
            slide.path = paths.at(i);
            slide.read = ReadConvertedPicture(slide.path, rule, slide.picture);
            if (!slide.read)
                slide.picture = ConvertPicture(QImage(), rule);
            QMutexLocker lock(&mutex);
            slides[size_t(i)] = std::move(slide);
            done[size_t(i)] = 1;
            finished.wakeAll();
        }
    };
    // On Windows the pictures are converted one after another on this
    // thread: under Wine a program whose picture workers had run could hang
    // for ever as it exited, and the Windows programs are tested under Wine.
    // Elsewhere one worker per core; the workers are joined before this
    // returns.
#ifdef Q_OS_WIN
    Q_UNUSED(threads);
    const int wanted = 0;
#else
    const int wanted = std::min(count, threads > 0 ? threads : std::max(1, QThread::idealThreadCount()));
#endif
    std::vector<std::thread> workers;
    for (int w = 0; w < wanted; ++w) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break; // fewer workers, or none: then this thread does it all
        }
    }
    if (workers.empty())
        work();
    for (int i = 0; i < count; ++i) {
        {
            QMutexLocker lock(&mutex);
            while (!done[size_t(i)])
                finished.wait(&mutex);
        }
        if (ready)
            ready(i, slides[size_t(i)]);
    }
    for (std::thread& worker : workers)
        worker.join();
    return slides;
}

int FirstMismatchedSlide(const std::vector<Slide>& slides)
{
    for (size_t i = 1; i < slides.size(); ++i)
        if (slides[i].picture.size() != slides.front().picture.size())
            return int(i);
    return -1;
}

QString SlideSizeMismatchText(const Slide& first, const Slide& other)
{
    const QSize a = first.picture.isNull() ? QSize(0, 0) : first.picture.size();
    const QSize b = other.picture.isNull() ? QSize(0, 0) : other.picture.size();
    return QStringLiteral("The slideshow was not saved: \"%1\" converts to %2x%3 pixels, but a slideshow file "
                          "records one size for all its pictures, the first picture's %4x%5. Choose \"Maximize\" "
                          "or \"Resize to:\", or pictures of one size.")
        .arg(QDir::toNativeSeparators(other.path))
        .arg(b.width())
        .arg(b.height())
        .arg(a.width())
        .arg(a.height());
}

QString NoFrameText()
{
    return QStringLiteral("The slideshow was not saved: none of its pictures could be read, so it would have "
                          "no frame.");
}

QByteArray SlideshowFileBytes(const std::vector<Slide>& slides, const PixelEncoding& encoding)
{
    QByteArray bytes;
    if (slides.empty())
        return bytes;
    const QImage& first = slides.front().picture;
    bytes = PictureDataHeader(first.width(), first.height(), encoding.depth);
    // Each picture is quantised on its own: a frame's dithering does not
    // reach into the next.
    for (const Slide& slide : slides)
        bytes += EncodePixelStream(slide.picture, encoding, PixelByteOrder::File);
    return bytes;
}

SaveResult BuildSlideshowFile(const QString& outputPath, const QStringList& paths, const ResizeRule& rule,
                              const PixelEncoding& encoding, const SlideshowSaveHooks& hooks)
{
    QString refusal;
    SaveResult result = SaveFileAtomically(outputPath, [&](QIODevice& out) {
        std::vector<Slide> slides = ConvertSlides(paths, rule, [&hooks](int index, const Slide& slide) {
            if (!slide.read && hooks.message)
                hooks.message(PictureReadFailureText(slide.read));
            if (hooks.preview)
                hooks.preview(index, slide.picture);
        });
        // Under No Resize a picture that could not be read has no frame at
        // all: it is left out, and says nothing about the frames' size.
        slides.erase(std::remove_if(slides.begin(), slides.end(),
                                    [](const Slide& slide) { return slide.picture.isNull(); }),
                     slides.end());
        if (slides.empty() && !paths.isEmpty()) {
            refusal = NoFrameText();
            return false;
        }
        const int mismatch = FirstMismatchedSlide(slides);
        if (mismatch >= 0) {
            refusal = SlideSizeMismatchText(slides.front(), slides[size_t(mismatch)]);
            return false;
        }
        const QByteArray bytes = SlideshowFileBytes(slides, encoding);
        return out.write(bytes) == bytes.size();
    }, paths);
    if (!refusal.isEmpty()) {
        result.status = SaveStatus::Refused;
        result.detail = refusal;
    }
    return result;
}

} // namespace tavrel

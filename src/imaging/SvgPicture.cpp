// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/SvgPicture.h"

#ifdef TAVREL_HAVE_QTSVG
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QTextItem>

#include <cmath>
#endif

namespace tavrel {

QSize SvgTargetSize(QSize own, const DecodeRequest& request)
{
    switch (request.part) {
    case DecodeRequest::Part::Whole:
        break;
    case DecodeRequest::Part::TopLeft:
        return own.boundedTo(request.region);
    case DecodeRequest::Part::Reduced:
        return request.region;
    }
    return own;
}

#ifdef TAVREL_HAVE_QTSVG

namespace {

// A paint engine that paints nothing and adds up, for every drawing call,
// the area it would cover on the device: the drawing's work, measured
// without doing it.
class WorkCountingEngine final : public QPaintEngine {
public:
    explicit WorkCountingEngine(QSize size)
        : QPaintEngine(QPaintEngine::AllFeatures)
        , m_device(QPointF(0, 0), QSizeF(size))
    {
    }

    qint64 work() const { return m_work; }

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform)
            m_transform = state.transform();
        if (state.state() & QPaintEngine::DirtyPen)
            m_pen = state.pen();
    }

    void drawPath(const QPainterPath& path) override
    {
        add(path.controlPointRect(), path.elementCount(), &path);
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override
    {
        QPolygonF polygon;
        polygon.reserve(count);
        for (int i = 0; i < count; ++i)
            polygon.append(points[i]);
        QPainterPath path;
        path.addPolygon(polygon);
        add(polygon.boundingRect(), count, &path);
    }
    void drawRects(const QRectF* rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            add(rects[i], 4, nullptr);
    }
    void drawEllipse(const QRectF& rect) override { add(rect, 8, nullptr); }
    void drawLines(const QLineF* lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            add(QRectF(lines[i].p1(), lines[i].p2()).normalized(), 2, nullptr);
    }
    void drawPixmap(const QRectF& target, const QPixmap&, const QRectF&) override { add(target, 1, nullptr); }
    void drawImage(const QRectF& target, const QImage&, const QRectF&, Qt::ImageConversionFlags) override
    {
        add(target, 1, nullptr);
    }
    void drawTiledPixmap(const QRectF& target, const QPixmap&, const QPointF&) override { add(target, 1, nullptr); }
    void drawTextItem(const QPointF& origin, const QTextItem& item) override
    {
        const QRectF box(origin.x(), origin.y() - item.ascent(), item.width(), item.ascent() + item.descent());
        add(box, item.text().size(), nullptr);
    }

private:
    // `elements` path elements covering `box` (in the painter's
    // coordinates), stroked with the current pen.
    void add(const QRectF& box, qint64 elements, const QPainterPath* path)
    {
        qreal penWidth = 0;
        const bool stroked = m_pen.style() != Qt::NoPen;
        if (stroked)
            penWidth = qMax<qreal>(1, m_pen.widthF());
        const QRectF onDevice =
            m_transform.mapRect(box.adjusted(-penWidth, -penWidth, penWidth, penWidth)).intersected(m_device);
        const double area = onDevice.isValid() ? onDevice.width() * onDevice.height() : 0;
        m_work += qint64(std::min(area, 1e15)) + elements + 1;
        if (stroked && m_pen.style() != Qt::SolidLine && path) {
            // Every dash is a shape of its own.
            qreal pattern = 0;
            for (const qreal dash : m_pen.dashPattern())
                pattern += dash;
            const double scale = std::sqrt(std::abs(m_transform.determinant()));
            const double length = path->length() * scale;
            const double period = std::max(1e-9, pattern * penWidth * scale);
            m_work += qint64(std::min(length / period, 1e15));
        }
        m_work = std::min<qint64>(m_work, qint64(1) << 60);
    }

    QRectF m_device;
    QTransform m_transform;
    QPen m_pen;
    qint64 m_work = 0;
};

class WorkCountingDevice final : public QPaintDevice {
public:
    explicit WorkCountingDevice(QSize size)
        : m_size(size)
        , m_engine(size)
    {
    }
    ~WorkCountingDevice() override = default;

    QPaintEngine* paintEngine() const override { return &m_engine; }
    qint64 work() const { return m_engine.work(); }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return m_size.width() * 254 / 960;
        case PdmHeightMM:
            return m_size.height() * 254 / 960;
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize m_size;
    mutable WorkCountingEngine m_engine;
};

QRectF Bounds(QSize own, const DecodeRequest& request)
{
    if (request.part == DecodeRequest::Part::Reduced)
        return QRectF(QPointF(0, 0), QSizeF(request.region));
    return QRectF(QPointF(0, 0), QSizeF(own));
}

} // namespace

bool HaveSvgRenderer()
{
    // Text is drawn with the fonts of a GUI application; without one the
    // drawing code would end the program at the first font.
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

QSize SvgDocumentSize(const QByteArray& svg)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return QSize();
    return renderer.defaultSize();
}

qint64 SvgDrawWork(const QByteArray& svg, QSize own, const DecodeRequest& request)
{
    QSvgRenderer renderer(svg);
    const QSize target = SvgTargetSize(own, request);
    if (!renderer.isValid() || target.isEmpty())
        return -1;
    WorkCountingDevice device(target);
    QPainter painter(&device);
    renderer.render(&painter, Bounds(own, request));
    painter.end();
    return device.work();
}

bool RenderSvg(const QByteArray& svg, QSize own, const DecodeRequest& request, QImage& picture)
{
    picture = QImage();
    QSvgRenderer renderer(svg);
    const QSize target = SvgTargetSize(own, request);
    if (!renderer.isValid() || target.isEmpty())
        return false;
    QImage drawn(target, QImage::Format_RGB32);
    if (drawn.isNull())
        return false;
    drawn.fill(Qt::black);
    QPainter painter(&drawn);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter, Bounds(own, request));
    painter.end();
    picture = std::move(drawn);
    return true;
}

#else

bool HaveSvgRenderer()
{
    return false;
}

QSize SvgDocumentSize(const QByteArray&)
{
    return QSize();
}

qint64 SvgDrawWork(const QByteArray&, QSize, const DecodeRequest&)
{
    return -1;
}

bool RenderSvg(const QByteArray&, QSize, const DecodeRequest&, QImage& picture)
{
    picture = QImage();
    return false;
}

#endif

} // namespace tavrel

// SPDX-License-Identifier: GPL-3.0-or-later
// The SVG walk: the file read as XML, with entity expansion bounded, up to
// its end. It counts the elements a drawing would go through (each <use>
// with everything it repeats, so that a few nested repeats that would draw
// a billion shapes are seen from their counts), bounds how deep they nest,
// checks every picture embedded in the drawing as a picture file of its
// own, and notes a reference to a file or address outside the drawing,
// which is never loaded.

#include "imaging/LayoutReader.h"
#include "imaging/LayoutWalkers.h"
#include "imaging/PictureFile.h"
#include "imaging/SvgPicture.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QVector>
#include <QXmlStreamReader>

#include <functional>

namespace tavrel {

namespace {

// Elements a drawing may go through, <use> repeats included. Drawing cost
// is bounded apart (SvgDrawWork()); this bounds the walk over the elements
// that counts it.
constexpr qint64 kMaxElements = 250000;
// Elements inside elements, <use> included: the drawing code recurses.
constexpr int kMaxDepth = 256;

QStringView LocalName(QStringView qualified)
{
    const qsizetype colon = qualified.lastIndexOf(QLatin1Char(':'));
    return colon < 0 ? qualified : qualified.mid(colon + 1);
}

struct Element {
    int parent = -1;
    QString useTarget;  // a <use>'s "#id"
    qint64 count = -1;  // elements drawn for it, with its children and repeats; -1 not yet known
    int depth = 0;      // how deep those nest, itself included
    bool visiting = false;
};

// A picture embedded as "data:...;base64,...": it must be a PNG or JPEG
// that passes every check a picture file passes. Adds what decoding it
// takes to `bytes`.
bool EmbeddedPictureIsSound(QStringView href, qint64& bytes)
{
    const qsizetype comma = href.indexOf(QLatin1Char(','));
    if (comma < 0 || !href.left(comma).endsWith(QLatin1String(";base64"), Qt::CaseInsensitive))
        return false;
    const QByteArray data = QByteArray::fromBase64(href.mid(comma + 1).toLatin1());
    const PictureLayout embedded = ReadPictureLayout(data);
    if (!embedded.sound || (embedded.format != PictureFormat::Png && embedded.format != PictureFormat::Jpeg))
        return false;
    const qint64 pixels = qint64(embedded.size.width()) * embedded.size.height();
    if (pixels > kMaxPicturePixels)
        return false;
    // Qt's own reader decodes it, at up to eight bytes a pixel.
    bytes += data.size() + 8 * pixels;
    return true;
}

// What the document's entities expand to, before any XML reader sees it:
// a reader expands a run of text whole before it hands it over, so a few
// kilobytes of entity referred to a million times would be gigabytes
// before anything could count them. The internal document type's general
// entities are followed through each other; every reference after the
// document type adds its entity's length. False when the total passes
// `limit`, an entity refers to itself, or parameter entities are declared
// (no drawing needs them).
bool EntityExpansionWithin(const QByteArray& text, qint64 limit)
{
    const qsizetype doctype = text.indexOf("<!DOCTYPE");
    if (doctype < 0)
        return true;
    const qsizetype open = text.indexOf('[', doctype);
    const qsizetype firstTag = text.indexOf('>', doctype);
    if (open < 0 || (firstTag >= 0 && firstTag < open))
        return true;  // no internal subset: nothing declared
    // The subset ends at a "]" that only white space separates from ">".
    qsizetype close = open;
    for (;;) {
        close = text.indexOf(']', close + 1);
        if (close < 0)
            return false;
        qsizetype after = close + 1;
        while (after < text.size() && QByteArrayLiteral(" \t\r\n").contains(text.at(after)))
            ++after;
        if (after < text.size() && text.at(after) == '>')
            break;
    }
    const QByteArray subset = text.mid(open + 1, close - open - 1);
    QHash<QByteArray, QByteArray> values;
    static const QRegularExpression declaration(
        QStringLiteral("<!ENTITY\\s+(%?)\\s*([^\\s\"']+)\\s+(?:\"([^\"]*)\"|'([^']*)'|(SYSTEM|PUBLIC)[^>]*)\\s*>"));
    auto matches = declaration.globalMatch(QString::fromUtf8(subset));
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        if (!match.captured(1).isEmpty())
            return false;
        const QByteArray name = match.captured(2).toUtf8();
        const QString value = match.captured(3).isNull() ? match.captured(4) : match.captured(3);
        if (!values.contains(name))
            values.insert(name, value.toUtf8());
    }
    // Lengths of the entities, each through the ones it refers to.
    QHash<QByteArray, qint64> lengths;
    QSet<QByteArray> visiting;
    std::function<qint64(const QByteArray&, const QByteArray&)> expanded;
    const auto lengthOf = [&](const QByteArray& name) -> qint64 {
        if (lengths.contains(name))
            return lengths.value(name);
        if (!values.contains(name))
            return 0;  // a character reference or a predefined entity: a character
        if (visiting.contains(name))
            return limit + 1;
        visiting.insert(name);
        const qint64 length = expanded(values.value(name), name);
        visiting.remove(name);
        lengths.insert(name, length);
        return length;
    };
    expanded = [&](const QByteArray& value, const QByteArray&) -> qint64 {
        qint64 total = 0;
        for (qsizetype at = 0; at < value.size();) {
            const qsizetype amp = value.indexOf('&', at);
            if (amp < 0) {
                total += value.size() - at;
                break;
            }
            total += amp - at;
            const qsizetype semicolon = value.indexOf(';', amp);
            if (semicolon < 0) {
                total += value.size() - amp;
                break;
            }
            total = qMin(limit + 1, total + qMax<qint64>(1, lengthOf(value.mid(amp + 1, semicolon - amp - 1))));
            at = semicolon + 1;
        }
        return qMin(limit + 1, total);
    };
    qint64 total = 0;
    for (qsizetype at = text.indexOf('&', close); at >= 0 && total <= limit; at = text.indexOf('&', at + 1)) {
        const qsizetype semicolon = text.indexOf(';', at);
        if (semicolon < 0 || semicolon - at > 256)
            continue;
        total += lengthOf(text.mid(at + 1, semicolon - at - 1));
    }
    return total <= limit;
}

} // namespace

bool LooksLikeSvgStart(const QByteArray& first)
{
    qsizetype at = first.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (at < first.size() && QByteArrayLiteral(" \t\r\n").contains(first.at(at)))
        ++at;
    const QByteArray rest = first.mid(at);
    return rest.startsWith("<?xml") || rest.startsWith("<svg") || rest.startsWith("<!--")
        || rest.startsWith("<!DOCTYPE");
}

bool WalkSvg(LayoutReader& in, PictureLayout& layout)
{
    SvgDetails& svg = layout.svg;
    // Beyond this the drawing code's own copy of the text alone would pass
    // the decoding limit; such a file is refused for its size.
    if (in.size() > kMaxSvgFileBytes)
        return false;
    QByteArray bytes(int(in.size()), Qt::Uninitialized);
    if (!in.read(0, bytes.data(), in.size()))
        return false;
    // Text and attribute values as read, entities expanded, may not grow
    // far beyond the file: a few entities that expand each other a
    // thousand-fold are refused once they pass this.
    const qint64 maxText = 4 * in.size() + 8 * 1024 * 1024;
    if (!EntityExpansionWithin(bytes, maxText))
        return false;
    QXmlStreamReader xml(bytes);
    // As the drawing code reads it: prefixes are names, not namespaces.
    xml.setNamespaceProcessing(false);
    qint64 textRead = 0;

    QVector<Element> elements;
    QHash<QString, int> ids;
    int current = -1;
    int depth = 0;
    bool sawRoot = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = LocalName(xml.qualifiedName());
            if (!sawRoot && name != QLatin1String("svg"))
                return false;
            sawRoot = true;
            if (elements.size() >= kMaxElements || ++depth > kMaxDepth)
                return false;
            Element element;
            element.parent = current;
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                textRead += attribute.value().size();
                const QStringView attributeName = LocalName(attribute.qualifiedName());
                if (attributeName == QLatin1String("id")) {
                    ids.insert(attribute.value().toString(), int(elements.size()));
                } else if (attributeName == QLatin1String("href")) {
                    const QStringView href = attribute.value().trimmed();
                    if (name == QLatin1String("use") && href.startsWith(QLatin1Char('#'))) {
                        element.useTarget = href.mid(1).toString();
                    } else if (name == QLatin1String("image")) {
                        if (!href.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
                            if (layout.externalReference.isEmpty())
                                layout.externalReference = href.left(200).toString();
                        } else if (!EmbeddedPictureIsSound(href, svg.embeddedBytes)) {
                            return false;
                        }
                    }
                }
            }
            current = int(elements.size());
            elements.append(element);
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            current = current >= 0 ? elements.at(current).parent : -1;
        } else if (token == QXmlStreamReader::Characters || token == QXmlStreamReader::Comment) {
            textRead += xml.text().size();
        } else if (token == QXmlStreamReader::DTD) {
            textRead += xml.text().size();
        }
        if (textRead > maxText)
            return false;
    }
    if (xml.hasError() || !sawRoot)
        return false;

    // Each element's count: itself, its children, and for a <use> what it
    // repeats; a repeat of itself (directly or further down), or nesting
    // too deep for the drawing code, is refused.
    QVector<QVector<int>> children(elements.size());
    for (int i = 0; i < elements.size(); ++i)
        if (elements.at(i).parent >= 0)
            children[elements.at(i).parent].append(i);
    bool sound = true;
    std::function<void(int, int)> countOf = [&](int i, int level) {
        if (elements.at(i).count >= 0 || !sound)
            return;
        if (elements.at(i).visiting || level > kMaxDepth) {
            sound = false;
            return;
        }
        elements[i].visiting = true;
        qint64 count = 1;
        int deepest = 0;
        QVector<int> parts = children.at(i);
        const auto target = ids.constFind(elements.at(i).useTarget);
        if (!elements.at(i).useTarget.isEmpty() && target != ids.constEnd())
            parts.append(target.value());
        for (int part : parts) {
            countOf(part, level + 1);
            if (!sound)
                return;
            count = qMin(count + elements.at(part).count, kMaxElements + 1);
            deepest = qMax(deepest, elements.at(part).depth);
        }
        elements[i].visiting = false;
        elements[i].count = count;
        elements[i].depth = deepest + 1;
        if (deepest + 1 > kMaxDepth || count > kMaxElements)
            sound = false;
    };
    if (!elements.isEmpty())
        countOf(0, 0);
    if (!sound)
        return false;
    svg.nodes = elements.size();
    svg.elements = elements.isEmpty() ? 0 : elements.first().count;

    AppendRange(layout.essentials, 0, in.size());
    if (!HaveSvgRenderer()) {
        svg.needsRenderer = true;
        return true;
    }
    // The drawing code would load a picture it refers to as it reads the
    // file: such a file is never given to it.
    if (!layout.externalReference.isEmpty())
        return true;
    // The size the drawing gives itself, as the drawing code reads it.
    layout.size = SvgDocumentSize(bytes);
    return true;
}

} // namespace tavrel

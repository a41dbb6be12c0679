// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Byte streams for robustness tests of the emulator: commands built from the
// framer's own command table with random parameters, mutations of such
// streams, and raw random bytes. Everything comes from one seeded generator,
// so the seed alone rebuilds a stream.

#include "emulator/CommandFramer.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QVector>

#include <functional>

namespace tavrel::testing {

class StreamBuilder {
public:
    explicit StreamBuilder(quint32 seed);

    // File names the card commands use, besides random bytes now and then.
    void setCardNames(const QList<QByteArray>& names) { m_cardNames = names; }
    // Data written to card files: any byte (default) or printable ASCII only.
    void setPrintableFileData(bool printable) { m_printableFileData = printable; }
    // Only shapes that pass `keep` are chosen (all by default).
    void setShapeFilter(const std::function<bool(const quennel::CommandShape&)>& keep);

    // One command of a randomly chosen shape, or of the given one: valid and
    // out-of-range values, huge sizes, every font and mode, short, long and
    // unterminated texts, image payloads shorter or longer than announced.
    QByteArray command();
    QByteArray command(const quennel::CommandShape& shape);
    QByteArray commands(int count);
    // The same command, always well formed, with a short payload (for
    // cutting it at every point).
    QByteArray wellFormedCommand(const quennel::CommandShape& shape);

    // `stream` with a few bytes flipped, replaced, dropped, duplicated or
    // inserted, and now and then cut short.
    QByteArray mutated(QByteArray stream);
    QByteArray randomBytes(int count);

    quint32 below(quint32 bound) { return bound == 0 ? 0 : m_rng.bounded(bound); }
    bool chance(int percent) { return int(m_rng.bounded(100u)) < percent; }
    const QVector<quennel::CommandShape>& shapes() const { return m_shapes; }

private:
    quint8 byte() { return quint8(m_rng.bounded(256u)); }
    // Coordinates, sizes and factors: edges of the panel and of a byte.
    quint8 interesting();
    quint8 parameter(quennel::CommandId id, int position);
    QByteArray text(int limit);
    QByteArray cardName();
    QByteArray fileData(int count);
    QByteArray imageCommand(bool wellFormed);

    QRandomGenerator m_rng;
    QVector<quennel::CommandShape> m_shapes;
    QList<QByteArray> m_cardNames;
    bool m_printableFileData = false;
};

// The bytes as two-digit hex numbers separated by blanks.
QString Hex(const QByteArray& bytes);

} // namespace tavrel::testing

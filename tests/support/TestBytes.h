#pragma once

#include <QByteArray>

#include <initializer_list>

namespace tavrel::testing {

// A byte array written as numbers, as packets and replies are listed.
inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

} // namespace tavrel::testing

// SPDX-License-Identifier: GPL-3.0-or-later
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

// Get Device Info and the answer of a 96 x 64 module.
inline const QByteArray kInfoRequest = Bytes({0x56, 0x00});
inline const QByteArray kInfoReply = Bytes({0x00, 0x01, 0x01, 0x96, 0x64});

} // namespace tavrel::testing

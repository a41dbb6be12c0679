// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "emulator/CommandFramer.h"
#include "emulator/ModuleState.h"

#include <QByteArray>

#include <array>

namespace quennel {

// Reply bytes of the module.
constexpr char kAck = 0x06;
constexpr char kError = 0x0F;

// Executes one complete command on the module state and appends the module's
// answer to `reply`.
using CommandHandler = void (*)(ModuleState& state, const Packet& packet, QByteArray& reply);

using HandlerTable = std::array<CommandHandler, size_t(CommandId::Count)>;

// Each family of commands registers its handlers in its own file.
void RegisterDrawingHandlers(HandlerTable& table);   // DrawingHandlers.cpp
void RegisterTextHandlers(HandlerTable& table);      // TextHandlers.cpp
void RegisterDisplayHandlers(HandlerTable& table);   // DisplayHandlers.cpp
void RegisterCardHandlers(HandlerTable& table);      // CardHandlers.cpp

// The handler for a command; never null (commands without a behaviour of
// their own are acknowledged).
CommandHandler handlerFor(CommandId id);

// What Get Device Info reports.
constexpr quint8 kDeviceType = 0;      // OLED
constexpr quint8 kHardwareVersion = 1;
constexpr quint8 kFirmwareVersion = 1;

} // namespace quennel

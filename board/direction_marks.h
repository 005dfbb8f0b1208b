// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The invisible characters the board's preview and its foot line put around
// what must read in a direction of its own.

#include <QChar>

namespace qirtaz::board {

inline constexpr QChar LeftToRightIsolate(0x2066);
inline constexpr QChar RightToLeftIsolate(0x2067);
inline constexpr QChar FirstStrongIsolate(0x2068);
inline constexpr QChar PopIsolate(0x2069);
inline constexpr QChar LeftToRightMark(0x200E);
// Not a direction, but as invisible: holds what stands on either side of it
// on one line.
inline constexpr QChar WordJoiner(0x2060);

} // namespace qirtaz::board

#pragma once

// Where the tests under Wine find things in kennfix.exe's window: its client
// size, and places in it at 96 dots per inch.

#include <QPoint>
#include <QSize>

inline constexpr QSize kClientSize(391, 314);
inline constexpr QPoint kLEdiName(156, 42);
inline constexpr QPoint kMEdiGebDat(156, 122);
inline constexpr QPoint kBtnRechnen(304, 44);
inline constexpr QPoint kBtnDrucken(304, 81);
inline constexpr QPoint kBtnClose(304, 118);
inline constexpr QPoint kLabTIN(140, 168);

#pragma once

// The icon of the package's windows, for title bars and task bars.

#include <QIcon>

namespace kennfix {

// The icon from the PNGs built into the program under :/icons
// (kennfix_window_icon in cmake/icons.cmake). They are read as PNG
// outright: left to guess the format, Qt would first load every image
// plugin, which lengthens the start by about a quarter.
QIcon WindowIcon();

}  // namespace kennfix

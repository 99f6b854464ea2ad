#pragma once

// The frame that the window manager puts around a window: its title bar and
// borders. A window about to be shown for the first time has none yet, so Qt
// cannot tell how big it will be; placing it by its client area alone puts
// it off centre by half the title bar.

#include <QMarginsF>

class QWidget;

namespace kennfix {

// The frame around `window` in device-independent pixels. Once the window
// is shown, what Qt knows. Before, on X11, the window manager's estimate
// (_NET_REQUEST_FRAME_EXTENTS, answered within a second or not at all);
// elsewhere, or without an answer, no frame.
QMarginsF ExpectedFrameMargins(QWidget& window);

// Moves the top-level `window` so that it, frame included, stands in the
// centre of its screen's available area.
void CentreOnScreen(QWidget& window);

}  // namespace kennfix

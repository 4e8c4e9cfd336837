#pragma once

#include <QtGlobal>

namespace ortolan {

// Positions and sizes in twips (1440 to the inch, 15 to the pixel at 96 dpi).
struct TwipRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipRect&) const = default;
};

// What the main window's layout reads and changes. The coordinates are those of the window's
// client area; the right frame carries its own controls, which never move.
struct WindowGeometry {
    TwipRect progressBar, status, tree, listView, tabStrip, rightFrame;
    double lastHeight = 0; // outer height at the end of the last layout
    qint16 lastWidth = 0;  // outer width, rounded, at the end of the last layout (kept, not read)
    bool operator==(const WindowGeometry&) const = default;
};

// The window's size now. Outer sizes take in the title bar, the menu bar and the borders; client
// sizes are the inner area.
struct WindowSize {
    double outerWidth = 0, outerHeight = 0;
    int clientWidth = 0, clientHeight = 0;
    bool minimized = false;
};

// Lays the window out again after a change of size or state, as Form_Resize does, and returns the
// new geometry. A minimized window is left as it was. The tree, the list view and the tab strip
// grow and shrink by as much as the outer height did since the last layout, the right frame sits
// against the right edge, and the progress bar against the bottom right corner of the client
// area. No width or height comes out below zero, however narrow or short the window.
WindowGeometry Form_Resize(const WindowGeometry& before, const WindowSize& now);

// The controls' places when the window opens. lastHeight and lastWidth are zero: start-up sets
// them from the window's outer size before the first layout.
WindowGeometry designGeometry();

// Conversions at a given number of dots per inch, rounded to the nearest whole number (halves
// away from zero). A dpi that is not above zero gives 0.
int twipsFromPixels(int pixels, double dpi);
int pixelsFromTwips(int twips, double dpi);

} // namespace ortolan

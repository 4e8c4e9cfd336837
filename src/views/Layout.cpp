#include "Layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ortolan {

namespace {

constexpr double kTwipsPerInch = 1440.0;

// Half-way values go to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2), done by hand so
// that the result does not hang on the floating-point rounding mode of the moment.
double roundHalfToEven(double x) {
    const double below = std::floor(x);
    const double fraction = x - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1.0;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

template <typename Int> Int roundAndClamp(double x) {
    if (std::isnan(x))
        return 0;
    const double r = roundHalfToEven(x);
    const double lo = double(std::numeric_limits<Int>::min());
    const double hi = double(std::numeric_limits<Int>::max());
    return Int(std::clamp(r, lo, hi));
}

// The difference between the last outer height and a control's height, rounded and held in 16
// bits. A difference past the 16-bit range (more than 32767 twips, some 22 inches) is clamped to the nearest end of the
// range rather than wrapped or refused, so the layout carries on with the largest difference it can hold.
qint16 heightDifference(double lastHeight, int controlHeight) {
    return roundAndClamp<qint16>(lastHeight - double(controlHeight));
}

int nonNegative(int size) {
    return std::max(size, 0);
}

} // namespace

WindowGeometry Form_Resize(const WindowGeometry& before, const WindowSize& now) {
    if (now.minimized)
        return before; // nothing is laid out, and the recorded size is kept for the restore

    WindowGeometry g = before;

    // The progress bar's top is taken with its height from before this layout, so after a
    // change of height it stands 10 twips short of the bottom until the next layout.
    g.progressBar.top = now.clientHeight - g.progressBar.height;
    g.progressBar.height = nonNegative(g.status.height - 10);
    g.progressBar.left = now.clientWidth - g.progressBar.width;

    // The tree grows as much as the window did since the last layout. The absolute value keeps
    // it from going negative, at the cost of a tree that grows again once the window is shorter
    // than the difference.
    const qint16 treeDifference = heightDifference(before.lastHeight, g.tree.height);
    g.tree.height = nonNegative(roundAndClamp<int>(std::fabs(now.outerHeight - treeDifference)));
    g.listView.height = g.tree.height;

    const qint16 tabDifference = heightDifference(before.lastHeight, g.tabStrip.height);
    g.tabStrip.height = nonNegative(roundAndClamp<int>(std::fabs(now.outerHeight - tabDifference)));

    // The right frame keeps its size and follows the right edge; the tab strip fills the rest.
    g.rightFrame.left = roundAndClamp<int>(now.outerWidth - g.rightFrame.width);
    g.tabStrip.width = nonNegative(roundAndClamp<int>(std::fabs(now.outerWidth - g.rightFrame.width)));
    g.tree.width = nonNegative(g.tabStrip.width - 250);
    g.listView.width = g.tree.width;

    g.lastHeight = now.outerHeight;
    g.lastWidth = roundAndClamp<qint16>(now.outerWidth);
    return g;
}

WindowGeometry designGeometry() {
    WindowGeometry g;
    g.tabStrip = {0, 0, 6255, 6735};
    g.tree = {120, 120, 6015, 6015};
    g.listView = {120, 120, 6015, 6015};
    g.rightFrame = {6240, 0, 3735, 6735};
    g.progressBar = {4800, 6840, 2655, 255};
    g.status = {0, 6825, 9990, 255};
    return g;
}

int twipsFromPixels(int pixels, double dpi) {
    if (!(dpi > 0))
        return 0;
    const double twips = std::round(double(pixels) * kTwipsPerInch / dpi);
    return int(std::clamp(twips, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

int pixelsFromTwips(int twips, double dpi) {
    if (!(dpi > 0))
        return 0;
    const double pixels = std::round(double(twips) * dpi / kTwipsPerInch);
    return int(std::clamp(pixels, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

} // namespace ortolan

#include "views/Layout.h"

#include <QTest>

using namespace ortolan;

namespace ortolan {
// Readable failure messages for QCOMPARE, found by argument-dependent lookup.
char* toString(const TwipRect& r) {
    return QTest::toString(
        QStringLiteral("(left %1, top %2, width %3, height %4)").arg(r.left).arg(r.top).arg(r.width).arg(r.height));
}
} // namespace ortolan

namespace {

// The window at its design size: a client area of 9990 x 7080 twips, with 120 twips of borders
// across and 1000 of title bar, menu bar and borders down.
constexpr int kClientWidth = 9990;
constexpr int kClientHeight = 7080;
constexpr int kFrameAcross = 120;
constexpr int kFrameDown = 1000;

WindowSize sizeForClient(int clientWidth, int clientHeight) {
    return {double(clientWidth + kFrameAcross), double(clientHeight + kFrameDown), clientWidth, clientHeight, false};
}

WindowSize designSize() {
    return sizeForClient(kClientWidth, kClientHeight);
}

// The geometry as start-up leaves it: the design places, the recorded size set from the window,
// and before the first layout.
WindowGeometry atStartUp(const WindowSize& size = designSize()) {
    WindowGeometry g = designGeometry();
    g.lastHeight = size.outerHeight;
    g.lastWidth = qint16(size.outerWidth);
    return g;
}

// The geometry after start-up's first layout at the design size.
WindowGeometry laidOut() {
    return Form_Resize(atStartUp(), designSize());
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void shouldKeepHeightsAndFitWidthsOnFirstLayoutAtDesignSize() {
        // given the window at its design size, recorded by start-up
        // when start-up lays it out for the first time
        const WindowGeometry g = laidOut();
        // then the heights stay and the strip takes the outer width less the right frame
        QCOMPARE(g.tree, (TwipRect{120, 120, 6125, 6015}));
        QCOMPARE(g.listView, (TwipRect{120, 120, 6125, 6015}));
        QCOMPARE(g.tabStrip, (TwipRect{0, 0, 6375, 6735}));
        QCOMPARE(g.rightFrame, (TwipRect{6375, 0, 3735, 6735}));
        QCOMPARE(g.progressBar, (TwipRect{7335, 6825, 2655, 245}));
        QCOMPARE(g.status, designGeometry().status);
        QCOMPARE(g.lastHeight, 8080.0);
        QCOMPARE(g.lastWidth, qint16(10110));
    }

    void shouldChangeTreeListAndTabStripHeightsAsMuchAsTheWindow_data() {
        QTest::addColumn<int>("change");
        QTest::newRow("600 taller") << 600;
        QTest::newRow("600 shorter") << -600;
    }
    void shouldChangeTreeListAndTabStripHeightsAsMuchAsTheWindow() {
        QFETCH(int, change);
        // given a laid-out window
        const WindowGeometry before = laidOut();
        // when its height changes
        const WindowGeometry after = Form_Resize(before, sizeForClient(kClientWidth, kClientHeight + change));
        // then the tree, the list view and the tab strip change by as much
        QCOMPARE(after.tree.height, 6015 + change);
        QCOMPARE(after.listView.height, 6015 + change);
        QCOMPARE(after.tabStrip.height, 6735 + change);
        // and the right frame, the places and the widths stay
        QCOMPARE(after.rightFrame, before.rightFrame);
        QCOMPARE(after.tree.width, before.tree.width);
        QCOMPARE(after.listView.width, before.listView.width);
        QCOMPARE(after.tabStrip.width, before.tabStrip.width);
        QCOMPARE(after.tree.top, 120);
        QCOMPARE(after.tabStrip.top, 0);
        QCOMPARE(after.status, before.status);
        QCOMPARE(after.lastHeight, 8080.0 + change);
    }

    void shouldMoveRightFrameAndWidenTabStripWithTheWindow_data() {
        QTest::addColumn<int>("change");
        QTest::newRow("300 wider") << 300;
        QTest::newRow("300 narrower") << -300;
    }
    void shouldMoveRightFrameAndWidenTabStripWithTheWindow() {
        QFETCH(int, change);
        // given a laid-out window
        const WindowGeometry before = laidOut();
        // when its width changes
        const WindowGeometry after = Form_Resize(before, sizeForClient(kClientWidth + change, kClientHeight));
        // then the right frame moves by as much and keeps its size
        QCOMPARE(after.rightFrame, (TwipRect{before.rightFrame.left + change, 0, 3735, 6735}));
        // and the tab strip widens by as much, the tree and list view to its width less 250
        QCOMPARE(after.tabStrip.width, before.tabStrip.width + change);
        QCOMPARE(after.tree.width, after.tabStrip.width - 250);
        QCOMPARE(after.listView.width, after.tabStrip.width - 250);
        QCOMPARE(after.tree.left, 120);
        QCOMPARE(after.tabStrip.left, 0);
        // and no height changes
        QCOMPARE(after.tree.height, before.tree.height);
        QCOMPARE(after.tabStrip.height, before.tabStrip.height);
        QCOMPARE(after.lastWidth, qint16(10110 + change));
    }

    void shouldChangeNothingWhileMinimized() {
        // given a laid-out window
        const WindowGeometry before = laidOut();
        // when it is minimized (the platform reports a small caption-only size)
        const WindowGeometry after = Form_Resize(before, {2400.0, 450.0, 0, 0, true});
        // then nothing moves and the recorded size is kept
        QVERIFY(after == before);
        QCOMPARE(after.lastHeight, 8080.0);
        QCOMPARE(after.lastWidth, qint16(10110));
    }

    void shouldRestoreAgainstSizeRecordedBeforeMinimizing() {
        // given a laid-out window that was minimized
        const WindowGeometry before = laidOut();
        const WindowGeometry minimized = Form_Resize(before, {2400.0, 450.0, 0, 0, true});
        // when it is restored 600 taller and 300 wider than before minimizing
        const WindowSize restored = sizeForClient(kClientWidth + 300, kClientHeight + 600);
        const WindowGeometry after = Form_Resize(minimized, restored);
        // then it is laid out as if the minimizing had not happened
        QVERIFY(after == Form_Resize(before, restored));
        QCOMPARE(after.tree.height, 6015 + 600);
        QCOMPARE(after.tabStrip.height, 6735 + 600);
        QCOMPARE(after.rightFrame.left, 6375 + 300);
    }

    void shouldLeaveProgressBarTenTwipsShortOfTheBottomAfterOneResize_data() {
        QTest::addColumn<int>("clientWidth");
        QTest::addColumn<int>("clientHeight");
        QTest::newRow("design size") << kClientWidth << kClientHeight;
        QTest::newRow("smaller window") << kClientWidth - 1500 << kClientHeight - 900;
    }
    void shouldLeaveProgressBarTenTwipsShortOfTheBottomAfterOneResize() {
        QFETCH(int, clientWidth);
        QFETCH(int, clientHeight);
        // given the window as designed, the progress bar 255 high
        const WindowGeometry start = atStartUp();
        // when it is laid out once
        const WindowGeometry once = Form_Resize(start, sizeForClient(clientWidth, clientHeight));
        // then the bar is the status bar's height less 10, its top placed with the old height
        QCOMPARE(once.progressBar.height, 245);
        QCOMPARE(once.progressBar.top + once.progressBar.height, clientHeight - 10);
        QCOMPARE(once.progressBar.left + once.progressBar.width, clientWidth);
        QCOMPARE(once.progressBar.width, 2655);
        // when it is laid out again at the same size
        const WindowGeometry twice = Form_Resize(once, sizeForClient(clientWidth, clientHeight));
        // then the bar sits flush with the bottom
        QCOMPARE(twice.progressBar.height, 245);
        QCOMPARE(twice.progressBar.top + twice.progressBar.height, clientHeight);
        QCOMPARE(twice.progressBar.left + twice.progressBar.width, clientWidth);
    }

    void shouldClampWidthsAtZeroInAVeryNarrowWindow_data() {
        QTest::addColumn<double>("outerWidth");
        QTest::addColumn<int>("tabStripWidth");
        QTest::addColumn<int>("treeWidth");
        QTest::newRow("strip narrower than 250") << 3800.0 << 65 << 0;
        QTest::newRow("strip 251") << 3986.0 << 251 << 1;
        QTest::newRow("window as wide as the frame") << 3735.0 << 0 << 0;
        QTest::newRow("window narrower than the frame") << 3000.0 << 735 << 485;
    }
    void shouldClampWidthsAtZeroInAVeryNarrowWindow() {
        QFETCH(double, outerWidth);
        QFETCH(int, tabStripWidth);
        QFETCH(int, treeWidth);
        // given a laid-out window
        const WindowGeometry before = laidOut();
        // when it is made very narrow
        const WindowGeometry after =
            Form_Resize(before, {outerWidth, 8080.0, int(outerWidth) - kFrameAcross, 7080, false});
        // then the tab strip takes the distance to the frame's width, the tree never goes below zero
        QCOMPARE(after.tabStrip.width, tabStripWidth);
        QCOMPARE(after.tree.width, treeWidth);
        QCOMPARE(after.listView.width, treeWidth);
        QCOMPARE(after.rightFrame.left, int(outerWidth) - 3735);
        QCOMPARE(after.rightFrame.width, 3735);
    }

    void shouldNeverGiveProgressBarANegativeHeight_data() {
        QTest::addColumn<int>("statusHeight");
        QTest::addColumn<int>("progressHeight");
        QTest::newRow("no status bar") << 0 << 0;
        QTest::newRow("status bar 10 high") << 10 << 0;
        QTest::newRow("status bar 11 high") << 11 << 1;
    }
    void shouldNeverGiveProgressBarANegativeHeight() {
        QFETCH(int, statusHeight);
        QFETCH(int, progressHeight);
        // given a window whose status bar is thin
        WindowGeometry before = laidOut();
        before.status.height = statusHeight;
        // when it is laid out
        const WindowGeometry after = Form_Resize(before, designSize());
        // then the progress bar is the status bar's height less 10, but not below zero
        QCOMPARE(after.progressBar.height, progressHeight);
    }

    void shouldGrowAgainWhenShorterThanTheHeightDifference() {
        // given a laid-out window: outer height 8080, tree 6015 (difference 2065), strip 6735 (1345)
        const WindowGeometry before = laidOut();
        // when its outer height drops to 1000 twips
        const WindowGeometry after = Form_Resize(before, {10110.0, 1000.0, 9990, 0, false});
        // then the heights are the distance to the old difference, never negative
        QCOMPARE(after.tree.height, 2065 - 1000);
        QCOMPARE(after.listView.height, 2065 - 1000);
        QCOMPARE(after.tabStrip.height, 1345 - 1000);
    }

    void shouldRoundAndClampHeightDifferences_data() {
        QTest::addColumn<double>("lastHeight");
        QTest::addColumn<int>("treeHeight");
        QTest::addColumn<int>("tabStripHeight");
        // The tree is 6015 high and the tab strip 6735; the window stays at 8080.
        QTest::newRow("2064.5 and 1344.5 round down") << 8079.5 << 6016 << 6736;
        QTest::newRow("2065.5 and 1345.5 round up") << 8080.5 << 6014 << 6734;
        QTest::newRow("-2.5 and -722.5 round toward zero") << 6012.5 << 8082 << 8802;
        QTest::newRow("-3.5 and -723.5 round away from zero") << 6011.5 << 8084 << 8804;
        // Differences beyond the 16-bit range are held at its ends.
        QTest::newRow("largest difference that fits") << 6015.0 + 32767 << 32767 - 8080 << 32767 - 720 - 8080;
        QTest::newRow("one past the top") << 6015.0 + 32768 << 32767 - 8080 << 32768 - 720 - 8080;
        QTest::newRow("difference past the top") << 100000.0 << 32767 - 8080 << 32767 - 8080;
        QTest::newRow("difference past the bottom") << -50000.0 << 8080 + 32768 << 8080 + 32768;
    }
    void shouldRoundAndClampHeightDifferences() {
        QFETCH(double, lastHeight);
        QFETCH(int, treeHeight);
        QFETCH(int, tabStripHeight);
        // given a laid-out window whose recorded height has a fraction, or lies far off
        WindowGeometry before = laidOut();
        before.lastHeight = lastHeight;
        // when it is laid out at an outer height of 8080
        const WindowGeometry after = Form_Resize(before, designSize());
        // then
        QCOMPARE(after.tree.height, treeHeight);
        QCOMPARE(after.listView.height, treeHeight);
        QCOMPARE(after.tabStrip.height, tabStripHeight);
    }

    void shouldConvertPixelsToTwips_data() {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("twips");
        QTest::newRow("one pixel at 96 dpi") << 1 << 96.0 << 15;
        QTest::newRow("design width at 96 dpi") << 666 << 96.0 << 9990;
        QTest::newRow("one pixel at 144 dpi") << 1 << 144.0 << 10;
        QTest::newRow("negative at 96 dpi") << -16 << 96.0 << -240;
        QTest::newRow("one pixel at 100 dpi rounds down") << 1 << 100.0 << 14;
        QTest::newRow("no dpi") << 10 << 0.0 << 0;
    }
    void shouldConvertPixelsToTwips() {
        QFETCH(int, pixels);
        QFETCH(double, dpi);
        QFETCH(int, twips);
        QCOMPARE(twipsFromPixels(pixels, dpi), twips);
    }

    void shouldConvertTwipsToPixels_data() {
        QTest::addColumn<int>("twips");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::newRow("design width at 96 dpi") << 9990 << 96.0 << 666;
        QTest::newRow("design width at 144 dpi") << 9990 << 144.0 << 999;
        QTest::newRow("less than half a pixel at 96 dpi") << 7 << 96.0 << 0;
        QTest::newRow("half a pixel at 144 dpi rounds away") << 15 << 144.0 << 2;
        QTest::newRow("negative half at 144 dpi rounds away") << -15 << 144.0 << -2;
        QTest::newRow("no dpi") << 9990 << 0.0 << 0;
    }
    void shouldConvertTwipsToPixels() {
        QFETCH(int, twips);
        QFETCH(double, dpi);
        QFETCH(int, pixels);
        QCOMPARE(pixelsFromTwips(twips, dpi), pixels);
    }
};

QTEST_GUILESS_MAIN(TestLayout)
#include "test_layout.moc"

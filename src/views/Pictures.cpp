#include "views/Pictures.h"

#include <array>
#include <cmath>
#include <numbers>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <vector>

namespace ortolan {

namespace {

constexpr int kPictureSize = 16;
constexpr int kTaskPictures = 23;
constexpr int kTabPictures = 4;
constexpr std::array<int, 6> kApplicationIconSizes{16, 32, 48, 64, 128, 256};

using Painter = void (*)(QPainter&);

// A transparent square with an antialiased painter on it; paint draws in 0..16 coordinates.
QPixmap picture(Painter paint) {
    QPixmap pixmap(kPictureSize, kPictureSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    p.end();
    return pixmap;
}

// Fills with colour and outlines with a darker shade of it, so the shape holds on light and dark
// backgrounds alike.
void shade(QPainter& p, const QColor& colour, qreal width = 1.0) {
    p.setPen(QPen(colour.darker(170), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
}

void stroke(QPainter& p, const QColor& colour, qreal width) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

void fillOnly(QPainter& p, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
}

QPainterPath polygonPath(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// --- Task pictures ------------------------------------------------------------------------------

// 1: the list itself, a ring-bound notebook.
void drawNotebook(QPainter& p) {
    shade(p, QColor(0x3a6fb0));
    p.drawRoundedRect(QRectF(3.5, 1.5, 10, 13), 1.2, 1.2);
    fillOnly(p, QColor(0x2a5288));
    p.drawRect(QRectF(4, 2, 1.5, 12));
    fillOnly(p, Qt::white);
    p.drawRect(QRectF(7, 4, 5, 3));
    stroke(p, QColor(0x8a8f96), 1.2);
    for (qreal y : {3.5, 6.5, 9.5, 12.5})
        p.drawLine(QPointF(2, y), QPointF(5, y));
}

// 2: a plain task, a sheet with a folded corner.
void drawSheet(QPainter& p) {
    p.setPen(QPen(QColor(0x707070), 1));
    p.setBrush(Qt::white);
    p.drawPath(polygonPath({{3.5, 1.5}, {10.5, 1.5}, {13.5, 4.5}, {13.5, 14.5}, {3.5, 14.5}}));
    p.setBrush(QColor(0xd0d0d0));
    p.drawPath(polygonPath({{10.5, 1.5}, {10.5, 4.5}, {13.5, 4.5}}));
    stroke(p, QColor(0xa0a0a0), 1);
    for (qreal y : {7.5, 9.5, 11.5})
        p.drawLine(QPointF(5.5, y), QPointF(11.5, y));
}

void drawStar(QPainter& p) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 == 0 ? 7.4 : 3.0;
        const qreal angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        star << QPointF(8 + radius * std::cos(angle), 8.6 + radius * std::sin(angle));
    }
    shade(p, QColor(0xf5c518));
    p.drawPolygon(star);
}

void drawFlag(QPainter& p) {
    QPainterPath cloth;
    cloth.moveTo(4, 2.2);
    cloth.cubicTo(7, 0.6, 9.5, 3.8, 14, 2.2);
    cloth.lineTo(14, 9.2);
    cloth.cubicTo(9.5, 10.8, 7, 7.6, 4, 9.2);
    cloth.closeSubpath();
    shade(p, QColor(0xe03c31));
    p.drawPath(cloth);
    stroke(p, QColor(0x5a4a3a), 1.6);
    p.drawLine(QPointF(3.2, 1.5), QPointF(3.2, 15));
}

void drawHeart(QPainter& p) {
    QPainterPath heart;
    heart.moveTo(8, 14.2);
    heart.cubicTo(2, 9.8, 0.6, 6.8, 1.9, 4.2);
    heart.cubicTo(3.4, 1.4, 7, 1.7, 8, 4.6);
    heart.cubicTo(9, 1.7, 12.6, 1.4, 14.1, 4.2);
    heart.cubicTo(15.4, 6.8, 14, 9.8, 8, 14.2);
    shade(p, QColor(0xe8456b));
    p.drawPath(heart);
    fillOnly(p, QColor(255, 255, 255, 170));
    p.drawEllipse(QPointF(4.6, 5), 1.1, 0.9);
}

void drawBell(QPainter& p) {
    const QColor gold(0xf0b429);
    shade(p, gold);
    p.drawEllipse(QPointF(8, 13.2), 1.6, 1.6);
    p.drawEllipse(QPointF(8, 1.9), 1, 1);
    QPainterPath bell;
    bell.moveTo(2.5, 12);
    bell.cubicTo(4.2, 10.4, 4, 9, 4, 7.2);
    bell.cubicTo(4, 4.2, 5.8, 2.6, 8, 2.6);
    bell.cubicTo(10.2, 2.6, 12, 4.2, 12, 7.2);
    bell.cubicTo(12, 9, 11.8, 10.4, 13.5, 12);
    bell.closeSubpath();
    p.drawPath(bell);
}

void drawHouse(QPainter& p) {
    p.setPen(QPen(QColor(0x8a6d3b), 1));
    p.setBrush(QColor(0xf2e2c4));
    p.drawRect(QRectF(3.5, 7.5, 9, 7));
    fillOnly(p, QColor(0x8a5a2b));
    p.drawRect(QRectF(7, 10, 2.5, 4.5));
    shade(p, QColor(0xc0392b));
    p.drawPath(polygonPath({{1.2, 8.5}, {8, 1.8}, {14.8, 8.5}}));
}

void drawPhone(QPainter& p) {
    shade(p, QColor(0x37474f));
    p.drawRoundedRect(QRectF(4.5, 1.5, 7, 13), 1.5, 1.5);
    fillOnly(p, QColor(0x8fd3f4));
    p.drawRect(QRectF(5.5, 3, 5, 8.3));
    fillOnly(p, QColor(0xd0d8dc));
    p.drawEllipse(QPointF(8, 12.8), 0.9, 0.9);
}

void drawEnvelope(QPainter& p) {
    p.setPen(QPen(QColor(0x9c8a4a), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xf3e5ab));
    p.drawRect(QRectF(1.5, 3.5, 13, 9));
    p.setBrush(QColor(0xe6d28a));
    p.drawPath(polygonPath({{1.5, 3.5}, {8, 9}, {14.5, 3.5}}));
}

void drawClock(QPainter& p) {
    p.setPen(QPen(QColor(0x2f6fb7), 1.6));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 6.4, 6.4);
    stroke(p, QColor(0x222222), 1.3);
    p.drawLine(QPointF(8, 8), QPointF(8, 4));
    p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
}

void drawCalendar(QPainter& p) {
    p.setPen(QPen(QColor(0x666666), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 3.5, 11, 11));
    fillOnly(p, QColor(0xd9453b));
    p.drawRect(QRectF(3, 4, 10, 3));
    fillOnly(p, QColor(0x9e9e9e));
    for (qreal y : {8.5, 11.5})
        for (qreal x : {4.0, 7.0, 10.0})
            p.drawRect(QRectF(x, y, 2, 2));
    stroke(p, QColor(0x444444), 1.2);
    p.drawLine(QPointF(5.5, 2), QPointF(5.5, 5));
    p.drawLine(QPointF(10.5, 2), QPointF(10.5, 5));
}

void drawCoin(QPainter& p) {
    shade(p, QColor(0xf4c430));
    p.drawEllipse(QPointF(8, 8), 6.6, 6.6);
    stroke(p, QColor(0x8b6508), 1.2);
    QPainterPath dollar;
    dollar.moveTo(10.2, 5.8);
    dollar.cubicTo(9.4, 4.8, 5.8, 4.7, 5.8, 6.6);
    dollar.cubicTo(5.8, 8.3, 10.2, 7.7, 10.2, 9.5);
    dollar.cubicTo(10.2, 11.4, 6.6, 11.2, 5.8, 10.2);
    p.drawPath(dollar);
    p.drawLine(QPointF(8, 3.4), QPointF(8, 12.6));
}

void drawCart(QPainter& p) {
    const QColor frame(0x37474f);
    p.setPen(QPen(frame, 1));
    p.setBrush(QColor(0x5dade2));
    p.drawPath(polygonPath({{4, 4.5}, {14.5, 4.5}, {13.2, 9}, {5, 9}}));
    stroke(p, frame, 1.4);
    p.drawPolyline(QPolygonF({{1, 2.5}, {3.2, 2.5}, {5, 11}, {13, 11}}));
    fillOnly(p, frame);
    p.drawEllipse(QPointF(6, 13.3), 1.5, 1.5);
    p.drawEllipse(QPointF(12, 13.3), 1.5, 1.5);
}

void drawBook(QPainter& p) {
    // An open book: brown cover under two pages with a few lines of text.
    fillOnly(p, QColor(0x8b4513));
    p.drawPath(polygonPath({{0.5, 4}, {8, 5}, {15.5, 4}, {15.5, 14}, {8, 15}, {0.5, 14}}));
    p.setPen(QPen(QColor(0x6b4226), 0.8));
    p.setBrush(QColor(0xfffaf0));
    QPainterPath left;
    left.moveTo(8, 4);
    left.cubicTo(6, 2.6, 3.6, 2.4, 1.5, 3);
    left.lineTo(1.5, 12.8);
    left.cubicTo(3.6, 12.2, 6, 12.4, 8, 13.8);
    left.closeSubpath();
    p.drawPath(left);
    QPainterPath right;
    right.moveTo(8, 4);
    right.cubicTo(10, 2.6, 12.4, 2.4, 14.5, 3);
    right.lineTo(14.5, 12.8);
    right.cubicTo(12.4, 12.2, 10, 12.4, 8, 13.8);
    right.closeSubpath();
    p.drawPath(right);
    stroke(p, QColor(0x9a8a7a), 0.8);
    for (qreal y : {6.0, 8.0, 10.0}) {
        p.drawLine(QPointF(3, y), QPointF(6.5, y + 0.6));
        p.drawLine(QPointF(9.5, y + 0.6), QPointF(13, y));
    }
}

void drawWrench(QPainter& p) {
    // Drawn upright, then turned so the open jaw points to the top right.
    QPainterPath head;
    head.addEllipse(QPointF(0, -4.2), 3.4, 3.4);
    QPainterPath handle;
    handle.addRoundedRect(QRectF(-1.4, -2, 2.8, 9.4), 1.4, 1.4);
    QPainterPath jaw;
    jaw.addRect(QRectF(-1.2, -8.5, 2.4, 4.6));
    const QPainterPath wrench = head.united(handle).subtracted(jaw);
    p.translate(8, 8);
    p.rotate(45);
    shade(p, QColor(0x9aa5b1));
    p.drawPath(wrench);
    p.resetTransform();
}

void drawLightbulb(QPainter& p) {
    QPainterPath glass;
    glass.addEllipse(QPointF(8, 6.3), 4.9, 4.9);
    glass = glass.united(polygonPath({{5.4, 9.5}, {10.6, 9.5}, {10, 11.6}, {6, 11.6}}));
    shade(p, QColor(0xffe066));
    p.drawPath(glass);
    stroke(p, QColor(0xe08e00), 0.9);
    p.drawPolyline(QPolygonF({{6.5, 9.5}, {7, 6.5}, {8, 8}, {9, 6.5}, {9.5, 9.5}}));
    p.setPen(QPen(QColor(0x616161), 0.8));
    p.setBrush(QColor(0xa8a8a8));
    p.drawRoundedRect(QRectF(6, 11.6, 4, 3.4), 0.8, 0.8);
    stroke(p, QColor(0x616161), 0.8);
    p.drawLine(QPointF(6.2, 13.2), QPointF(9.8, 13.2));
}

void drawPerson(QPainter& p) {
    shade(p, QColor(0x7e57c2));
    QPainterPath body;
    body.moveTo(2.5, 15);
    body.cubicTo(2.5, 10.5, 5, 9, 8, 9);
    body.cubicTo(11, 9, 13.5, 10.5, 13.5, 15);
    body.closeSubpath();
    p.drawPath(body);
    p.drawEllipse(QPointF(8, 5), 3.1, 3.1);
}

void drawCar(QPainter& p) {
    QPainterPath body;
    body.addRoundedRect(QRectF(1, 7.5, 14, 4.5), 1.5, 1.5);
    body = body.united(polygonPath({{3.5, 8}, {5.5, 3.6}, {10.8, 3.6}, {12.8, 8}}));
    shade(p, QColor(0xe74c3c));
    p.drawPath(body);
    fillOnly(p, QColor(0xbee3f8));
    p.drawPath(polygonPath({{5.1, 7.2}, {6.3, 4.6}, {7.7, 4.6}, {7.7, 7.2}}));
    p.drawPath(polygonPath({{8.6, 7.2}, {8.6, 4.6}, {10.2, 4.6}, {11.4, 7.2}}));
    fillOnly(p, QColor(0x2b2b2b));
    p.drawEllipse(QPointF(4.5, 12), 2.1, 2.1);
    p.drawEllipse(QPointF(11.5, 12), 2.1, 2.1);
    fillOnly(p, QColor(0xc8c8c8));
    p.drawEllipse(QPointF(4.5, 12), 0.8, 0.8);
    p.drawEllipse(QPointF(11.5, 12), 0.8, 0.8);
}

void drawPlane(QPainter& p) {
    // Seen from above, nose first, then turned to fly to the top right.
    const QList<QPointF> half{{1.1, -5.6}, {1.1, -1.8}, {7, 1.6},   {7, 2.9}, {1.1, 1.3},
                              {1.1, 4.6},  {3.4, 6.3},  {3.4, 7.3}, {0, 6.6}};
    QPolygonF outline;
    outline << QPointF(0, -7.4);
    for (const QPointF& point : half)
        outline << point;
    for (auto it = half.rbegin() + 1; it != half.rend(); ++it)
        outline << QPointF(-it->x(), it->y());
    p.translate(8, 8);
    p.rotate(45);
    shade(p, QColor(0x5b8def));
    p.drawPolygon(outline);
    p.resetTransform();
}

void drawGift(QPainter& p) {
    const QColor ribbon(0xf1c40f);
    stroke(p, ribbon.darker(130), 1.3);
    p.drawEllipse(QPointF(6, 3), 2, 1.4);
    p.drawEllipse(QPointF(10, 3), 2, 1.4);
    shade(p, QColor(0x9b59b6));
    p.drawRect(QRectF(2.5, 6.5, 11, 8));
    shade(p, QColor(0xb07cc6));
    p.drawRect(QRectF(1.5, 4.5, 13, 2.5));
    fillOnly(p, ribbon);
    p.drawRect(QRectF(7, 5, 2, 9));
}

void drawWarning(QPainter& p) {
    p.setPen(QPen(QColor(0x8a6d00), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xffcc00));
    p.drawPath(polygonPath({{8, 1.5}, {15, 14}, {1, 14}}));
    stroke(p, QColor(0x222222), 1.7);
    p.drawLine(QPointF(8, 6), QPointF(8, 9.6));
    fillOnly(p, QColor(0x222222));
    p.drawEllipse(QPointF(8, 12), 0.95, 0.95);
}

void drawMusicNote(QPainter& p) {
    // Two quavers joined by a beam.
    const QColor ink(0x2f63c4);
    fillOnly(p, ink);
    for (const QPointF& centre : {QPointF(4.6, 12.6), QPointF(11.6, 11.1)}) {
        p.save();
        p.translate(centre);
        p.rotate(-20);
        p.drawEllipse(QPointF(0, 0), 2.4, 1.7);
        p.restore();
    }
    p.drawPath(polygonPath({{5.9, 2.8}, {14, 1.2}, {14, 3.8}, {5.9, 5.4}}));
    stroke(p, ink, 1.3);
    p.drawLine(QPointF(6.4, 12), QPointF(6.4, 3.5));
    p.drawLine(QPointF(13.4, 10.5), QPointF(13.4, 2));
}

void drawCheckMark(QPainter& p) {
    const QList<QPointF> tick{{2.5, 8.5}, {6.3, 12.3}, {13.5, 3.5}};
    stroke(p, QColor(0x1b7a33), 3.4);
    p.drawPolyline(QPolygonF(tick));
    stroke(p, QColor(0x34c759), 1.8);
    p.drawPolyline(QPolygonF(tick));
}

constexpr std::array<Painter, kTaskPictures> kTaskPainters{
    drawNotebook, drawSheet, drawStar,     drawFlag, drawHeart,   drawBell,      drawHouse,    drawPhone,
    drawEnvelope, drawClock, drawCalendar, drawCoin, drawCart,    drawBook,      drawWrench,   drawLightbulb,
    drawPerson,   drawCar,   drawPlane,    drawGift, drawWarning, drawMusicNote, drawCheckMark};

// --- Tab pictures -------------------------------------------------------------------------------

// 1, "Today": a red-orange sun.
void drawSun(QPainter& p) {
    const QColor sun(0xe8553b);
    stroke(p, sun, 2);
    for (int i = 0; i < 8; ++i) {
        const qreal angle = i * std::numbers::pi / 4;
        const QPointF direction(std::cos(angle), std::sin(angle));
        p.drawLine(QPointF(8, 8) + 5.4 * direction, QPointF(8, 8) + 7 * direction);
    }
    shade(p, sun);
    p.drawEllipse(QPointF(8, 8), 3.6, 3.6);
}

// 2, "<None>": a grey circle struck through.
void drawNone(QPainter& p) {
    stroke(p, QColor(0x8c8c8c), 1.7);
    p.drawEllipse(QPointF(8, 8), 6, 6);
    p.drawLine(QPointF(3.8, 12.2), QPointF(12.2, 3.8));
}

// 3, "Main": a small tree of tasks.
void drawTree(QPainter& p) {
    stroke(p, QColor(0x555555), 1);
    p.drawPolyline(QPolygonF({{4.5, 5}, {4.5, 12.5}, {8, 12.5}}));
    p.drawLine(QPointF(4.5, 7.5), QPointF(8, 7.5));
    shade(p, QColor(0x4a90d9));
    p.drawRect(QRectF(1.5, 1.5, 6, 4));
    shade(p, QColor(0x9cc7f0));
    p.drawRect(QRectF(7.5, 6, 7, 3));
    p.drawRect(QRectF(7.5, 11, 7, 3));
}

// 4, any other category: a label tag with its hole.
void drawTag(QPainter& p) {
    QPainterPath tag = polygonPath({{-7, 0}, {-3, -3.9}, {6.2, -3.9}, {6.2, 3.9}, {-3, 3.9}});
    tag.addEllipse(QPointF(-3, 0), 1.4, 1.4);
    tag.setFillRule(Qt::OddEvenFill);
    p.translate(8, 8);
    p.rotate(45);
    shade(p, QColor(0x26a69a));
    p.drawPath(tag);
    p.resetTransform();
}

constexpr std::array<Painter, kTabPictures> kTabPainters{drawSun, drawNone, drawTree, drawTag};

// --- Application icon ---------------------------------------------------------------------------

// The bunting, perched on the top edge of the checklist: cinnamon body, brown wing and tail, olive
// head, yellow throat, pink beak. On a 256-unit square, like the rest of the icon.
void drawBunting(QPainter& p, bool detailed) {
    stroke(p, QColor(0xc97a5a), 5);
    p.drawLine(QPointF(150, 86), QPointF(146, 100));
    p.drawLine(QPointF(166, 88), QPointF(164, 100));
    fillOnly(p, QColor(0x5c3d28));
    p.drawPath(polygonPath({{196, 66}, {234, 100}, {226, 112}, {186, 84}}));
    fillOnly(p, QColor(0xd08a4e));
    p.save();
    p.translate(164, 66);
    p.rotate(20);
    p.drawEllipse(QPointF(0, 0), 42, 26);
    p.restore();
    fillOnly(p, QColor(0x7a5236));
    p.save();
    p.translate(176, 58);
    p.rotate(24);
    p.drawEllipse(QPointF(0, 0), 30, 15);
    p.restore();
    fillOnly(p, QColor(0x8e9e5a));
    p.drawEllipse(QPointF(124, 42), 22, 22);
    fillOnly(p, QColor(0xf2cc4a));
    p.drawEllipse(QPointF(124, 62), 13, 9);
    fillOnly(p, QColor(0xe9a27c));
    p.drawPath(polygonPath({{104, 36}, {86, 44}, {105, 49}}));
    if (detailed) {
        fillOnly(p, QColor(0xf5e6a8));
        p.drawEllipse(QPointF(118, 38), 6.5, 6.5);
        fillOnly(p, QColor(0x1e1e1e));
        p.drawEllipse(QPointF(118, 38), 3.5, 3.5);
    } else {
        fillOnly(p, QColor(0x1e1e1e));
        p.drawEllipse(QPointF(118, 38), 6, 6);
    }
}

// From 48 pixels up: the full design, the one resources/ortolan.svg holds with the same numbers.
void drawFullIcon(QPainter& p) {
    fillOnly(p, QColor(0x2f8f6f));
    p.drawRoundedRect(QRectF(16, 16, 224, 224), 44, 44);

    // The checklist: three boxes, the first two ticked.
    fillOnly(p, QColor(0xfbf8f0));
    p.drawRoundedRect(QRectF(40, 100, 128, 120), 12, 12);
    for (int row = 0; row < 3; ++row) {
        const qreal top = 120 + row * 32;
        stroke(p, QColor(0x2f8f6f), 6);
        p.drawRoundedRect(QRectF(60, top, 22, 22), 4, 4);
        stroke(p, QColor(0xb9c4be), 8);
        p.drawLine(QPointF(98, top + 11), QPointF(150, top + 11));
        if (row < 2) {
            stroke(p, QColor(0xe0662f), 7);
            p.drawPolyline(QPolygonF({{64, top + 10}, {71, top + 18}, {86, top - 2}}));
        }
    }
    drawBunting(p, true);
}

// At 16 and 32 pixels the lines of text would be a grey blur: a larger bird over a sheet with one
// bold tick, on a tile that fills the square.
void drawSmallIcon(QPainter& p) {
    fillOnly(p, QColor(0x2f8f6f));
    p.drawRoundedRect(QRectF(4, 4, 248, 248), 40, 40);
    fillOnly(p, QColor(0xfbf8f0));
    p.drawRoundedRect(QRectF(28, 116, 136, 116), 16, 16);
    stroke(p, QColor(0xe0662f), 26);
    p.drawPolyline(QPolygonF({{56, 172}, {84, 200}, {136, 142}}));
    p.save();
    p.translate(56, 4);
    p.scale(1.3, 1.3);
    p.translate(-86, -14);
    drawBunting(p, false);
    p.restore();
}

QPixmap applicationPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    if (size >= 48)
        drawFullIcon(p);
    else
        drawSmallIcon(p);
    p.end();
    return pixmap;
}

struct PictureCache {
    std::vector<QIcon> tasks;
    std::vector<QIcon> tabs;
    QIcon application;
};

PictureCache* cache = nullptr;

void dropCache() {
    delete cache;
    cache = nullptr;
}

// Draws everything on the first call; the pictures are dropped with the application object, so a
// later one draws them again.
const PictureCache* pictures() {
    if (cache)
        return cache;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    cache = new PictureCache;
    for (Painter paint : kTaskPainters)
        cache->tasks.emplace_back(picture(paint));
    for (Painter paint : kTabPainters)
        cache->tabs.emplace_back(picture(paint));
    for (int size : kApplicationIconSizes)
        cache->application.addPixmap(applicationPixmap(size));
    qAddPostRoutine(dropCache);
    return cache;
}

QIcon numbered(const std::vector<QIcon> PictureCache::*list, int number) {
    const PictureCache* all = pictures();
    if (!all || number < 1 || number > int((all->*list).size()))
        return {};
    return (all->*list)[number - 1];
}

} // namespace

QIcon taskPicture(int number) {
    return numbered(&PictureCache::tasks, number);
}

int taskPictureCount() {
    return kTaskPictures;
}

QIcon tabPicture(int number) {
    return numbered(&PictureCache::tabs, number);
}

int tabPictureCount() {
    return kTabPictures;
}

QIcon applicationIcon() {
    const PictureCache* all = pictures();
    return all ? all->application : QIcon();
}

} // namespace ortolan

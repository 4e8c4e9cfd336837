#include "views/Pictures.h"

#include <cstdlib>
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QTest>

using namespace ortolan;

namespace {

QImage image16(const QIcon& icon) {
    return icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
}

int opaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return count;
}

// Pixels where the two images are visibly different (colour or coverage).
int differentPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int distance = std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                                 std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
            count += distance > 48 ? 1 : 0;
        }
    return count;
}

void checkSmallPicture(const QIcon& icon, const QByteArray& what) {
    QVERIFY2(!icon.isNull(), what);
    const QImage image = image16(icon);
    QCOMPARE(image.size(), QSize(16, 16));
    QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(16, 16)});
    const int covered = opaquePixels(image);
    // A symbol, not a dot and not a filled square.
    QVERIFY2(covered >= 30, what + " covers " + QByteArray::number(covered) + " pixels");
    QVERIFY2(covered <= 240, what + " covers " + QByteArray::number(covered) + " pixels");
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void shouldGiveNoPictureOutsideTheNumbers() {
        for (int number : {0, -1, 24, 1000})
            QVERIFY2(taskPicture(number).isNull(), QByteArray::number(number));
        for (int number : {0, -1, 5, 23})
            QVERIFY2(tabPicture(number).isNull(), QByteArray::number(number));
    }

    void shouldDrawEveryTaskPictureAt16Pixels() {
        for (int number = 1; number <= taskPictureCount(); ++number)
            checkSmallPicture(taskPicture(number), "task picture " + QByteArray::number(number));
    }

    void shouldDrawEveryTabPictureAt16Pixels() {
        for (int number = 1; number <= tabPictureCount(); ++number)
            checkSmallPicture(tabPicture(number), "tab picture " + QByteArray::number(number));
    }

    void shouldTellThePicturesApart() {
        for (auto [picture, count] : {std::pair{&taskPicture, taskPictureCount()}, {&tabPicture, tabPictureCount()}}) {
            QList<QImage> images;
            for (int number = 1; number <= count; ++number)
                images << image16(picture(number));
            for (int a = 0; a < images.size(); ++a)
                for (int b = a + 1; b < images.size(); ++b)
                    QVERIFY2(differentPixels(images[a], images[b]) >= 20,
                             qPrintable(QString("pictures %1 and %2 of %3 look alike").arg(a + 1).arg(b + 1).arg(count)));
        }
    }

    void shouldDrawTheApplicationIconAtEverySize() {
        const QIcon icon = applicationIcon();
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        for (int side : {16, 32, 48, 64, 128, 256}) {
            const QSize size(side, side);
            QVERIFY2(sizes.contains(size), QByteArray::number(side));
            const QImage image = icon.pixmap(size).toImage();
            QCOMPARE(image.size(), size);
            // A tile covering most of the square, with see-through rounded corners.
            QVERIFY2(opaquePixels(image) > side * side * 3 / 5, QByteArray::number(side));
            QVERIFY2(qAlpha(image.pixel(0, 0)) < 32, QByteArray::number(side));
            QCOMPARE(qAlpha(image.pixel(side / 2, side / 2)), 255);
        }
    }

};

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"

#include "views/Pictures.h"

#include <cstdlib>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QXmlStreamReader>

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

// Mean HSV saturation (0..255) of the pixels that are mostly covered.
double meanSaturation(const QImage& image) {
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = QColor::fromRgba(image.pixel(x, y));
            if (colour.alpha() < 128)
                continue;
            sum += colour.hsvSaturation();
            ++count;
        }
    return count ? sum / count : 0;
}

// Share of the mostly covered pixels whose hue is red to orange and clearly coloured.
double redShare(const QImage& image) {
    int red = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = QColor::fromRgba(image.pixel(x, y));
            if (colour.alpha() < 128)
                continue;
            ++count;
            const int hue = colour.hsvHue();
            if (colour.hsvSaturation() > 100 && (hue <= 30 || hue >= 340))
                ++red;
        }
    return count ? double(red) / count : 0;
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

    void shouldKeepTheDefaultTaskAndNoneTabGrey() {
        // The default task picture stays out of the way of the coloured ones a user picks; "<None>"
        // is an empty, colourless look.
        QVERIFY2(meanSaturation(image16(taskPicture(2))) < 40, "task picture 2 is coloured");
        QVERIFY2(meanSaturation(image16(tabPicture(2))) < 40, "tab picture 2 is coloured");
        QVERIFY2(meanSaturation(image16(taskPicture(5))) > 100, "task picture 5 is grey");
    }

    void shouldDrawTodayInRed() {
        QVERIFY(redShare(image16(tabPicture(1))) > 0.5);
        QVERIFY(redShare(image16(tabPicture(3))) < 0.1);
    }

    void shouldTellTheTaskPicturesApart() {
        QList<QImage> images;
        for (int number = 1; number <= taskPictureCount(); ++number)
            images << image16(taskPicture(number));
        for (int a = 0; a < images.size(); ++a)
            for (int b = a + 1; b < images.size(); ++b) {
                QVERIFY2(images[a] != images[b],
                         qPrintable(QString("task pictures %1 and %2 are the same").arg(a + 1).arg(b + 1)));
                const int differ = differentPixels(images[a], images[b]);
                QVERIFY2(
                    differ >= 20,
                    qPrintable(
                        QString("task pictures %1 and %2 differ in %3 pixels only").arg(a + 1).arg(b + 1).arg(differ)));
            }
    }

    void shouldTellTheTabPicturesApart() {
        QList<QImage> images;
        for (int number = 1; number <= tabPictureCount(); ++number)
            images << image16(tabPicture(number));
        for (int a = 0; a < images.size(); ++a)
            for (int b = a + 1; b < images.size(); ++b)
                QVERIFY2(differentPixels(images[a], images[b]) >= 20,
                         qPrintable(QString("tab pictures %1 and %2 look alike").arg(a + 1).arg(b + 1)));
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

    void shouldShipTheIconAsAnSvgOfTheSameSquare() {
        QFile file(QStringLiteral(ORTOLAN_TEST_DATA "/../../resources/ortolan.svg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QVERIFY(xml.readNextStartElement());
        QCOMPARE(xml.name(), QStringLiteral("svg"));
        QCOMPARE(xml.namespaceUri(), QStringLiteral("http://www.w3.org/2000/svg"));
        QCOMPARE(xml.attributes().value("viewBox"), QStringLiteral("0 0 256 256"));
        int shapes = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement)
                ++shapes;
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(shapes > 10);
    }
};

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"

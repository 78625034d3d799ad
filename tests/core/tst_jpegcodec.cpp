// JPEG pictures in and out of blobs: round trips, CMYK, density, and input
// that must fail cleanly instead of crashing, exiting or showing half a picture.
#include "core/jpegcodec.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

// Smooth colour ramps, kind to the JPEG quantiser so a tight tolerance holds.
QImage gradient(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / qMax(1, width - 1), y * 255 / qMax(1, height - 1),
                                      (x + y) * 255 / qMax(1, width + height - 2)));
    return image.convertToFormat(format);
}

// Picture with detail, so the entropy-coded data is most of the file and a
// cut anywhere past 10% lands in it.
QImage textured(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7 + y * 3) % 256, (x * y) % 256, (x ^ y) * 4 % 256));
    return image;
}

QByteArray encoded(const QImage &image, int quality = 90)
{
    QByteArray bytes;
    QString error;
    if (!JpegCodec::encode(image, &bytes, quality, &error))
        qFatal("encode failed: %s", qPrintable(error));
    return bytes;
}

// Written with libjpeg itself, for what our encoder never produces: CMYK,
// YCCK, progressive. Inputs are fixed, so libjpeg's exiting error handler is
// never reached.
QByteArray writeWithLibjpeg(const QByteArray &samples, int width, int height, int components,
                            J_COLOR_SPACE input, J_COLOR_SPACE stored, bool adobe, bool progressive)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = input;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, stored);
    cinfo.write_Adobe_marker = adobe;
    jpeg_set_quality(&cinfo, 100, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<char *>(samples.constData()))
            + qsizetype(cinfo.next_scanline) * width * components;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray result(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    return result;
}

QByteArray progressiveJpeg()
{
    const QImage rgb = textured(96, 64).convertToFormat(QImage::Format_RGB888);
    QByteArray samples;
    for (int y = 0; y < rgb.height(); ++y)
        samples.append(reinterpret_cast<const char *>(rgb.constScanLine(y)), rgb.width() * 3);
    return writeWithLibjpeg(samples, rgb.width(), rgb.height(), 3, JCS_RGB, JCS_YCbCr, false, true);
}

// Offset of the first segment with this marker, walking the segment lengths.
int segmentOffset(const QByteArray &jpeg, uchar marker)
{
    int pos = 2;
    while (pos + 4 <= jpeg.size() && uchar(jpeg[pos]) == 0xFF) {
        if (uchar(jpeg[pos + 1]) == marker)
            return pos;
        pos += 2 + (uchar(jpeg[pos + 2]) << 8 | uchar(jpeg[pos + 3]));
    }
    qFatal("marker %02x not found", marker);
    return -1;
}

void put16(QByteArray *bytes, int pos, int value)
{
    (*bytes)[pos] = char(value >> 8);
    (*bytes)[pos + 1] = char(value & 0xFF);
}

// A small real JPEG whose frame header claims another size.
QByteArray withFrameSize(int width, int height)
{
    QByteArray bytes = encoded(gradient(16, 16, QImage::Format_RGB32));
    const int sof = segmentOffset(bytes, 0xC0);
    put16(&bytes, sof + 5, height);
    put16(&bytes, sof + 7, width);
    return bytes;
}

// Largest difference of any channel of any pixel.
int maxDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            worst = std::max({worst, qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)),
                          qAbs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

bool near(QRgb actual, QRgb expected, int tolerance)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance
        && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance
        && qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

QString describe(QRgb c)
{
    return QStringLiteral("(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

} // namespace

class TestJpegCodec : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<QImage::Format>("decodedFormat");
        QTest::addColumn<int>("tolerance");

        QTest::newRow("RGB32 64x48")
            << gradient(64, 48, QImage::Format_RGB32) << QImage::Format_RGB32 << 8;
        QTest::newRow("RGB888 45x27, partial blocks")
            << gradient(45, 27, QImage::Format_RGB888) << QImage::Format_RGB32 << 8;
        QTest::newRow("1x1") << gradient(1, 1, QImage::Format_RGB32) << QImage::Format_RGB32 << 8;
        QTest::newRow("Grayscale8 40x30")
            << gradient(40, 30, QImage::Format_Grayscale8) << QImage::Format_Grayscale8 << 4;
        QTest::newRow("Grayscale16 40x30")
            << gradient(40, 30, QImage::Format_Grayscale16) << QImage::Format_Grayscale8 << 4;
        QImage indexed = gradient(40, 30, QImage::Format_Grayscale8)
                             .convertToFormat(QImage::Format_Indexed8);
        QTest::newRow("Indexed8 grey palette") << indexed << QImage::Format_Grayscale8 << 4;
    }
    void roundTrip()
    {
        QFETCH(QImage, source);
        QFETCH(QImage::Format, decodedFormat);
        QFETCH(int, tolerance);

        QImage decoded;
        QString error;
        QVERIFY2(JpegCodec::decode(encoded(source, 95), &decoded, &error), qPrintable(error));
        QCOMPARE(decoded.size(), source.size());
        QCOMPARE(decoded.format(), decodedFormat);
        QVERIFY2(maxDifference(decoded, source) <= tolerance,
                 qPrintable(QString::number(maxDifference(decoded, source))));
    }

    // Transparent parts come out white; partial alpha blends towards white.
    void alphaFlattenedOnWhite_data()
    {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<QRgb>("expected");

        auto filled = [](QImage::Format format, QRgb colour) {
            QImage image(16, 16, QImage::Format_ARGB32);
            image.fill(colour);
            return image.convertToFormat(format);
        };
        QTest::newRow("fully transparent")
            << filled(QImage::Format_ARGB32, qRgba(0, 0, 0, 0)) << qRgb(255, 255, 255);
        QTest::newRow("half red")
            << filled(QImage::Format_ARGB32, qRgba(255, 0, 0, 128)) << qRgb(255, 127, 127);
        QTest::newRow("premultiplied half blue")
            << filled(QImage::Format_ARGB32_Premultiplied, qRgba(0, 0, 255, 128))
            << qRgb(127, 127, 255);
        QTest::newRow("opaque RGBA8888 green")
            << filled(QImage::Format_RGBA8888, qRgba(0, 255, 0, 255)) << qRgb(0, 255, 0);

        QImage indexed(16, 16, QImage::Format_Indexed8);
        indexed.setColorTable({qRgba(0, 0, 0, 0), qRgb(0, 0, 0)});
        indexed.fill(0);
        QTest::newRow("Indexed8 transparent entry") << indexed << qRgb(255, 255, 255);
    }
    void alphaFlattenedOnWhite()
    {
        QFETCH(QImage, source);
        QFETCH(QRgb, expected);

        QImage decoded;
        QVERIFY(JpegCodec::decode(encoded(source, 100), &decoded));
        QCOMPARE(decoded.format(), QImage::Format_RGB32);
        QCOMPARE(decoded.size(), source.size());
        const QRgb centre = decoded.pixel(8, 8);
        QVERIFY2(near(centre, expected, 3), qPrintable(describe(centre)));
    }

    // Four 16-pixel bands of ink, each a whole number of MCUs so the blocks
    // are flat and come back almost exactly.
    void cmyk_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("adobe");

        QTest::newRow("Adobe CMYK, inverted") << int(JCS_CMYK) << true;
        QTest::newRow("Adobe YCCK, inverted") << int(JCS_YCCK) << true;
        QTest::newRow("CMYK without Adobe marker") << int(JCS_CMYK) << false;
    }
    void cmyk()
    {
        QFETCH(int, stored);
        QFETCH(bool, adobe);

        struct Band
        {
            uchar ink[4];
            QRgb rgb;
        };
        const Band bands[] = {
            {{255, 0, 0, 0}, qRgb(0, 255, 255)},     // cyan
            {{0, 255, 255, 0}, qRgb(255, 0, 0)},     // red
            {{0, 0, 0, 128}, qRgb(127, 127, 127)},   // half black
            {{64, 128, 192, 32}, qRgb(167, 111, 55)} // mixed inks over black
        };
        const int width = 64, height = 16;
        QByteArray samples;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (uchar ink : bands[x / 16].ink)
                    samples.append(char(adobe ? 255 - ink : ink));
        const QByteArray jpeg = writeWithLibjpeg(samples, width, height, 4, JCS_CMYK,
                                                 J_COLOR_SPACE(stored), adobe, false);

        QImage decoded;
        QString error;
        QVERIFY2(JpegCodec::decode(jpeg, &decoded, &error), qPrintable(error));
        QCOMPARE(decoded.format(), QImage::Format_RGB32);
        QCOMPARE(decoded.size(), QSize(width, height));
        for (int band = 0; band < 4; ++band) {
            const QRgb centre = decoded.pixel(band * 16 + 8, 8);
            QVERIFY2(near(centre, bands[band].rgb, 3),
                     qPrintable(QStringLiteral("band %1: %2, expected %3")
                                    .arg(band)
                                    .arg(describe(centre), describe(bands[band].rgb))));
        }
    }

    // Density from the JFIF header, patched in place, in dots per metre.
    void density_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("densityX");
        QTest::addColumn<int>("densityY");
        QTest::addColumn<int>("metreX");
        QTest::addColumn<int>("metreY");

        const int fallback = QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX();
        QTest::newRow("300 dpi") << 1 << 300 << 300 << 11811 << 11811;
        QTest::newRow("dots per cm, unequal") << 2 << 118 << 59 << 11800 << 5900;
        QTest::newRow("aspect ratio only") << 0 << 1 << 2 << fallback << fallback;
    }
    void density()
    {
        QFETCH(int, unit);
        QFETCH(int, densityX);
        QFETCH(int, densityY);
        QFETCH(int, metreX);
        QFETCH(int, metreY);

        QByteArray jpeg = encoded(gradient(16, 16, QImage::Format_RGB32));
        const int app0 = segmentOffset(jpeg, 0xE0);
        QCOMPARE(jpeg.mid(app0 + 4, 5), QByteArray("JFIF", 5));
        jpeg[app0 + 11] = char(unit);
        put16(&jpeg, app0 + 12, densityX);
        put16(&jpeg, app0 + 14, densityY);

        QImage decoded;
        QVERIFY(JpegCodec::decode(jpeg, &decoded));
        QCOMPARE(decoded.dotsPerMeterX(), metreX);
        QCOMPARE(decoded.dotsPerMeterY(), metreY);
    }

    void brokenInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason"); // part of libjpeg's message, when it is certain

        const QByteArray good = encoded(textured(128, 96));
        const QByteArray progressive = progressiveJpeg();
        QByteArray noise(64, Qt::Uninitialized);
        QRandomGenerator random(20240611);
        for (char &c : noise)
            c = char(random.bounded(256));

        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("random bytes") << noise << "Not a JPEG file";
        QTest::newRow("SOI then random bytes") << QByteArray("\xFF\xD8", 2) + noise << QString();
        QTest::newRow("only SOI") << QByteArray("\xFF\xD8", 2) << QString();
        for (int percent : {10, 50, 90}) {
            QTest::addRow("cut at %d%%", percent)
                << good.left(good.size() * percent / 100) << QString();
        }
        QTest::newRow("cut before EOI") << good.left(good.size() - 2) << "Premature end";
        QTest::newRow("progressive cut at 50%")
            << progressive.left(progressive.size() / 2) << QString();
        QTest::newRow("progressive cut at 90%")
            << progressive.left(progressive.size() * 9 / 10) << "Premature end";

        QByteArray badSoi = good;
        badSoi[1] = 0;
        QTest::newRow("corrupt SOI") << badSoi << "Not a JPEG file";
        QByteArray badPrecision = good;
        badPrecision[segmentOffset(good, 0xC0) + 4] = 7;
        QTest::newRow("corrupt sample precision") << badPrecision << "precision";

        QTest::newRow("PNG signature and header")
            << QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000000100000001008060000001ff3ff61")
            << "Not a JPEG file";
        QTest::newRow("claims 60000x60000") << withFrameSize(60000, 60000) << "exceeds";
        QTest::newRow("claims 8000x7000, under libjpeg's own limit")
            << withFrameSize(8000, 7000) << "exceeds";
        QTest::newRow("claims 65535 wide") << withFrameSize(65535, 16) << "dimension";
        QTest::newRow("claims zero height") << withFrameSize(16, 0) << "Empty JPEG image";
    }
    void brokenInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);

        const QImage before = gradient(3, 3, QImage::Format_RGB32);
        QImage image = before;
        QString error;
        QVERIFY(!JpegCodec::decode(bytes, &image, &error));
        QVERIFY(!error.isEmpty());
        if (!reason.isEmpty())
            QVERIFY2(error.contains(reason, Qt::CaseInsensitive), qPrintable(error));
        QCOMPARE(image, before);
    }

    // libjpeg's recoverable complaints other than a premature end still give
    // the picture.
    void toleratedWarnings_data()
    {
        QTest::addColumn<QByteArray>("bytes");

        const QByteArray good = encoded(gradient(32, 32, QImage::Format_RGB32));
        QTest::newRow("garbage after EOI") << good + QByteArray("trailing junk");
        QByteArray extraneous = good;
        extraneous.insert(segmentOffset(good, 0xDA), QByteArray("\x01\x02\x03", 3));
        QTest::newRow("extraneous bytes before SOS") << extraneous;
    }
    void toleratedWarnings()
    {
        QFETCH(QByteArray, bytes);

        QImage decoded;
        QString error;
        QVERIFY2(JpegCodec::decode(bytes, &decoded, &error), qPrintable(error));
        QVERIFY(maxDifference(decoded, gradient(32, 32, QImage::Format_RGB32)) <= 10);
    }

    void qualityIsClamped_data()
    {
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("sameAs");

        QTest::newRow("0 is 1") << 0 << 1;
        QTest::newRow("-40 is 1") << -40 << 1;
        QTest::newRow("101 is 100") << 101 << 100;
        QTest::newRow("1000 is 100") << 1000 << 100;
    }
    void qualityIsClamped()
    {
        QFETCH(int, quality);
        QFETCH(int, sameAs);

        const QImage image = textured(48, 32);
        QByteArray bytes;
        QVERIFY(JpegCodec::encode(image, &bytes, quality));
        QCOMPARE(bytes, encoded(image, sameAs));
    }

    void nullImageIsNotEncoded()
    {
        QByteArray bytes("untouched");
        QString error;
        QVERIFY(!JpegCodec::encode(QImage(), &bytes, 90, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(bytes, QByteArray("untouched"));
    }

    void files()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("photo.jpg"));

        QImage source = gradient(30, 20, QImage::Format_RGB32);
        source.setDotsPerMeterX(11811);
        source.setDotsPerMeterY(11811);
        QString error;
        QVERIFY2(JpegCodec::encodeFile(source, path, 90, &error), qPrintable(error));
        QImage decoded;
        QVERIFY2(JpegCodec::decodeFile(path, &decoded, &error), qPrintable(error));
        QCOMPARE(decoded.size(), source.size());
        QCOMPARE(decoded.dotsPerMeterX(), 11811);
        QCOMPARE(decoded.dotsPerMeterY(), 11811);

        // A failed write keeps the picture that was there.
        QFile before(path);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray kept = before.readAll();
        before.close();
        error.clear();
        QVERIFY(!JpegCodec::encodeFile(QImage(), path, 90, &error));
        QVERIFY(!error.isEmpty());
        QFile after(path);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), kept);

        const QString nowhere = dir.filePath(QStringLiteral("no such dir/photo.jpg"));
        error.clear();
        QVERIFY(!JpegCodec::encodeFile(source, nowhere, 90, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(nowhere));

        error.clear();
        QVERIFY(!JpegCodec::decodeFile(dir.filePath(QStringLiteral("missing.jpg")), &decoded, &error));
        QVERIFY(!error.isEmpty());

        // Not a picture at all: the file's name appears with libjpeg's reason.
        const QString text = dir.filePath(QStringLiteral("note.txt"));
        QFile note(text);
        QVERIFY(note.open(QIODevice::WriteOnly));
        note.write("not a picture");
        note.close();
        error.clear();
        QVERIFY(!JpegCodec::decodeFile(text, &decoded, &error));
        QVERIFY2(error.contains(QStringLiteral("note.txt")) && error.contains("Not a JPEG file"),
                 qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestJpegCodec)
#include "tst_jpegcodec.moc"

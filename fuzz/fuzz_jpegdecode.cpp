// Feeds arbitrary bytes to the JPEG reader. A failure must come with a
// message; a picture that reads must be whole, and when small enough it must
// write back and read again at the same size and format.
#include "core/jpegcodec.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(size));
    QImage image;
    QString error;
    if (!JpegCodec::decode(bytes, &image, &error)) {
        check(!error.isEmpty(), "failure without a message");
        check(image.isNull(), "image touched on failure");
        return 0;
    }
    check(!image.isNull(), "success without a picture");
    check(qint64(image.width()) * image.height() <= JpegCodec::MaxPixels, "over the pixel limit");
    check(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_Grayscale8,
          "unexpected format");

    if (qint64(image.width()) * image.height() <= 256 * 256) {
        QByteArray again;
        check(JpegCodec::encode(image, &again, 75, &error), "decoded picture does not encode");
        QImage reread;
        check(JpegCodec::decode(again, &reread, &error), "encoded picture does not decode");
        check(reread.size() == image.size(), "size changed on the round trip");
        check(reread.format() == image.format(), "format changed on the round trip");
    }
    return 0;
}

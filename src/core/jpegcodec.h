#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// JPEG pictures as kept in blob columns (operator photographs, patient
// pictures, scanned examination sheets), read and written through libjpeg.
// Every failure, including corrupt or truncated data, comes back as false with
// libjpeg's message in `error`; nothing here ever exits the process.
namespace JpegCodec {

// Pictures larger than this are refused before any pixel memory is taken.
constexpr qint64 MaxPixels = 50'000'000;

// Colour pictures come out as Format_RGB32, grey ones as Format_Grayscale8.
// CMYK and YCCK pictures are converted to RGB. A JFIF density, when the file
// states one in dots per inch or per centimetre, is kept as dots per metre.
// A truncated picture is a failure, never a partly grey result. On failure
// `image` is left untouched.
bool decode(const QByteArray &bytes, QImage *image, QString *error = nullptr);
bool decodeFile(const QString &path, QImage *image, QString *error = nullptr);

// Any format is accepted: grey images are written as one-component JPEGs,
// everything else as colour; transparency is flattened onto white. Quality is
// clamped to 1..100. The image's density is written in dots per inch.
// encodeFile replaces `path` only once the whole picture has been written.
bool encode(const QImage &image, QByteArray *bytes, int quality = 90, QString *error = nullptr);
bool encodeFile(const QImage &image, const QString &path, int quality = 90,
                QString *error = nullptr);

} // namespace JpegCodec

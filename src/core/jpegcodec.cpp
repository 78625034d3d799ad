#include "core/jpegcodec.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSysInfo>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

// libjpeg reports errors by calling error_exit, which by default exits the
// process. Ours longjmps back instead. The functions that call setjmp
// (readHeader, readPixels, compress) touch only plain structs and raw
// buffers, so the jump never skips a destructor; the Qt side allocates and
// cleans up around them.

namespace JpegCodec {

namespace {

// A normal progressive picture has about ten scans; thousands of tiny scans
// are a way to make a small blob cost minutes of CPU.
constexpr int MaxScans = 500;

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void failJump(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level)
{
    // At the end of the data libjpeg pads with a fake EOI, warns and goes on,
    // leaving the rest of the picture grey. A half-shown photograph or exam
    // sheet is worse than an error, so a truncated picture fails. Other
    // warnings (resynchronised corrupt data, bytes between markers) are
    // tolerated and stay silent.
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        failJump(cinfo);
}

void outputMessage(j_common_ptr)
{
}

void limitScans(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    const int scan = reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number;
    if (scan > MaxScans) {
        auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "Too many scans (more than %d)",
                      MaxScans);
        std::longjmp(err->jump, 1);
    }
}

jpeg_error_mgr *initErrors(ErrorManager *err)
{
    jpeg_std_error(&err->pub);
    err->pub.error_exit = failJump;
    err->pub.emit_message = emitMessage;
    err->pub.output_message = outputMessage;
    err->message[0] = '\0';
    return &err->pub;
}

uchar scale(uint a, uint b)
{
    return uchar((a * b + 127) / 255);
}

// Decoding, in two steps so the QImage can be allocated in between with the
// size the header states, and only after that size has been checked.
struct DecodeJob
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    bool grey;
    bool cmyk;
    bool inverted;
};

Q_NEVER_INLINE bool readHeader(DecodeJob *job, const unsigned char *data, unsigned long size)
{
    j_decompress_ptr cinfo = &job->cinfo;
    cinfo->err = initErrors(&job->err);
    if (setjmp(job->err.jump))
        return false;

    jpeg_create_decompress(cinfo);
    job->progress.progress_monitor = limitScans;
    cinfo->progress = &job->progress;
    jpeg_mem_src(cinfo, data, size);
    jpeg_read_header(cinfo, TRUE);

    const qint64 pixels = qint64(cinfo->image_width) * qint64(cinfo->image_height);
    if (pixels > MaxPixels) {
        std::snprintf(job->err.message, sizeof job->err.message,
                      "Picture of %ux%u pixels exceeds the limit of %lld pixels",
                      unsigned(cinfo->image_width), unsigned(cinfo->image_height),
                      static_cast<long long>(MaxPixels));
        return false;
    }

    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
        job->grey = true;
        cinfo->out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        // libjpeg turns YCCK into CMYK but goes no further; RGB is ours.
        // Adobe applications write the inks inverted and mark the file with
        // their APP14 segment, so that marker decides the polarity.
        job->cmyk = true;
        job->inverted = cinfo->saw_Adobe_marker;
        cinfo->out_color_space = JCS_CMYK;
        break;
    default:
        // Byte order of Format_RGB32; the A variants fill the fourth byte
        // with 0xFF, which RGB32 requires.
        cinfo->out_color_space =
            QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRA : JCS_EXT_ARGB;
        break;
    }

    // For progressive pictures this reads all the scans, so truncation shows
    // up here, before the pixel memory is taken.
    jpeg_start_decompress(cinfo);
    return true;
}

Q_NEVER_INLINE bool readPixels(DecodeJob *job, unsigned char *bits, qsizetype stride)
{
    j_decompress_ptr cinfo = &job->cinfo;
    if (setjmp(job->err.jump))
        return false;

    JSAMPARRAY cmykRow = nullptr;
    if (job->cmyk)
        cmykRow = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                              cinfo->output_width * 4, 1);

    while (cinfo->output_scanline < cinfo->output_height) {
        unsigned char *line = bits + qsizetype(cinfo->output_scanline) * stride;
        JSAMPROW row = line;
        if (jpeg_read_scanlines(cinfo, cmykRow ? cmykRow : &row, 1) != 1) {
            std::snprintf(job->err.message, sizeof job->err.message, "Scan line %u is missing",
                          unsigned(cinfo->output_scanline));
            return false;
        }
        if (cmykRow) {
            const uchar *in = cmykRow[0];
            auto *out = reinterpret_cast<QRgb *>(line);
            for (JDIMENSION x = 0; x < cinfo->output_width; ++x, in += 4) {
                uint c = in[0], m = in[1], y = in[2], k = in[3];
                if (!job->inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    y = 255 - y;
                    k = 255 - k;
                }
                out[x] = qRgb(scale(c, k), scale(m, k), scale(y, k));
            }
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

struct EncodeJob
{
    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char *out;
    unsigned long outSize;
};

struct EncodeInput
{
    const uchar *bits;
    qsizetype stride;
    int width;
    int height;
    bool grey;
    int quality;
    int dpiX;
    int dpiY;
};

Q_NEVER_INLINE bool compress(EncodeJob *job, const EncodeInput *in)
{
    j_compress_ptr cinfo = &job->cinfo;
    cinfo->err = initErrors(&job->err);
    if (setjmp(job->err.jump))
        return false;

    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, &job->out, &job->outSize);
    cinfo->image_width = JDIMENSION(in->width);
    cinfo->image_height = JDIMENSION(in->height);
    if (in->grey) {
        cinfo->input_components = 1;
        cinfo->in_color_space = JCS_GRAYSCALE;
    } else {
        // Format_RGB32 rows as they are; the fourth byte is ignored.
        cinfo->input_components = 4;
        cinfo->in_color_space =
            QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    }
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, in->quality, TRUE);
    if (in->dpiX > 0 && in->dpiY > 0) {
        cinfo->density_unit = 1;
        cinfo->X_density = UINT16(in->dpiX);
        cinfo->Y_density = UINT16(in->dpiY);
    }
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPROW row = const_cast<uchar *>(in->bits + qsizetype(cinfo->next_scanline) * in->stride);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

QString decodeError(const char *detail)
{
    return QStringLiteral("无法读取 JPEG 图片: %1").arg(QString::fromLocal8Bit(detail));
}

QString encodeError(const char *detail)
{
    return QStringLiteral("无法生成 JPEG 图片: %1").arg(QString::fromLocal8Bit(detail));
}

int dotsPerInch(int dotsPerMeter)
{
    if (dotsPerMeter <= 0)
        return 0;
    return qBound(1, qRound(dotsPerMeter * 0.0254), 65535);
}

// Straight alpha blended onto white, per channel.
QImage flattenOnWhite(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QImage flat(argb.size(), QImage::Format_RGB32);
    if (argb.isNull() || flat.isNull())
        return QImage();
    for (int y = 0; y < argb.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(flat.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const uint a = uint(qAlpha(in[x]));
            const uint rest = 255 * (255 - a);
            out[x] = qRgb(int((qRed(in[x]) * a + rest + 127) / 255),
                          int((qGreen(in[x]) * a + rest + 127) / 255),
                          int((qBlue(in[x]) * a + rest + 127) / 255));
        }
    }
    return flat;
}

bool isGreyFormat(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
        return true;
    case QImage::Format_Indexed8:
        // allGray() looks only at the colour table here.
        return image.allGray();
    default:
        return false;
    }
}

} // namespace

bool decode(const QByteArray &bytes, QImage *image, QString *error)
{
    Q_ASSERT(image);
    if (bytes.isEmpty())
        return fail(error, decodeError("no data"));

    DecodeJob job{};
    QImage result;
    bool ok = readHeader(&job, reinterpret_cast<const unsigned char *>(bytes.constData()),
                         static_cast<unsigned long>(bytes.size()));
    if (ok) {
        result = QImage(int(job.cinfo.output_width), int(job.cinfo.output_height),
                        job.grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
        if (result.isNull()) {
            std::snprintf(job.err.message, sizeof job.err.message, "Out of memory for %ux%u pixels",
                          unsigned(job.cinfo.output_width), unsigned(job.cinfo.output_height));
            ok = false;
        } else {
            ok = readPixels(&job, result.bits(), result.bytesPerLine());
        }
    }

    const bool jfif = job.cinfo.saw_JFIF_marker;
    const int unit = job.cinfo.density_unit;
    const int densityX = job.cinfo.X_density;
    const int densityY = job.cinfo.Y_density;
    jpeg_destroy_decompress(&job.cinfo);
    if (!ok)
        return fail(error, decodeError(job.err.message));

    // Unit 0 gives only the aspect ratio; keep Qt's default density then.
    if (jfif && densityX > 0 && densityY > 0) {
        if (unit == 1) {
            result.setDotsPerMeterX(qRound(densityX / 0.0254));
            result.setDotsPerMeterY(qRound(densityY / 0.0254));
        } else if (unit == 2) {
            result.setDotsPerMeterX(densityX * 100);
            result.setDotsPerMeterY(densityY * 100);
        }
    }
    *image = result;
    return true;
}

bool decodeFile(const QString &path, QImage *image, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("无法打开图片文件“%1”: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(error, QStringLiteral("无法读取图片文件“%1”: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    QString detail;
    if (!decode(bytes, image, &detail))
        return fail(error, QStringLiteral("图片文件“%1”: %2")
                               .arg(QDir::toNativeSeparators(path), detail));
    return true;
}

bool encode(const QImage &image, QByteArray *bytes, int quality, QString *error)
{
    Q_ASSERT(bytes);
    if (image.isNull())
        return fail(error, encodeError("the image is empty"));

    QImage source;
    if (image.hasAlphaChannel())
        source = flattenOnWhite(image);
    else if (isGreyFormat(image))
        source = image.convertToFormat(QImage::Format_Grayscale8);
    else
        source = image.convertToFormat(QImage::Format_RGB32);
    if (source.isNull())
        return fail(error, encodeError("out of memory"));

    const EncodeInput in{source.constBits(),
                         source.bytesPerLine(),
                         source.width(),
                         source.height(),
                         source.format() == QImage::Format_Grayscale8,
                         qBound(1, quality, 100),
                         dotsPerInch(image.dotsPerMeterX()),
                         dotsPerInch(image.dotsPerMeterY())};
    EncodeJob job{};
    const bool ok = compress(&job, &in);
    jpeg_destroy_compress(&job.cinfo);
    if (ok)
        *bytes = QByteArray(reinterpret_cast<const char *>(job.out), qsizetype(job.outSize));
    std::free(job.out);
    return ok ? true : fail(error, encodeError(job.err.message));
}

bool encodeFile(const QImage &image, const QString &path, int quality, QString *error)
{
    QByteArray bytes;
    if (!encode(image, &bytes, quality, error))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return fail(error, QStringLiteral("无法写入图片文件“%1”: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    return true;
}

} // namespace JpegCodec

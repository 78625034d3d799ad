#include "core/gbk.h"

#include <QList>

#include <cerrno>
#include <iconv.h>

namespace {

// Converts with iconv, replacing what cannot be converted one unit at a time.
// `inUnit` is the width of one input unit to skip on an invalid sequence.
QByteArray convert(const char *to, const char *from, const QByteArray &in, size_t inUnit,
                   const QByteArray &replacement)
{
    QByteArray out;
    if (in.isEmpty())
        return out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return out;

    out.reserve(in.size() * 2);
    char *inPtr = const_cast<char *>(in.constData());
    size_t inLeft = size_t(in.size());
    char buffer[4096];
    while (inLeft > 0) {
        char *outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, qsizetype(sizeof buffer - outLeft));
        if (rc != size_t(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (truncated sequence at the end): skip one unit.
        out.append(replacement);
        size_t skip = qMin(inUnit, inLeft);
        inPtr += skip;
        inLeft -= skip;
    }
    // Flush any shift state (none for GBK, but keep iconv's contract).
    char *outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, qsizetype(sizeof buffer - outLeft));
    iconv_close(cd);
    return out;
}

} // namespace

namespace Gbk {

QByteArray fromUnicode(const QString &text)
{
    // UTF-32 input so that one skipped unit is one whole character.
    const QList<uint> ucs4 = text.toUcs4();
    QByteArray in(reinterpret_cast<const char *>(ucs4.constData()), ucs4.size() * 4);
    return convert("GBK", "UTF-32LE", in, 4, QByteArrayLiteral("?"));
}

QString toUnicode(const QByteArray &bytes)
{
    const QByteArray utf8 = convert("UTF-8", "GBK", bytes, 1, QByteArrayLiteral("\xEF\xBF\xBD"));
    return QString::fromUtf8(utf8);
}

} // namespace Gbk

namespace Gbk {

QString toUnicode(const QByteArray &bytes, QList<int> *starts)
{
    QString result;
    starts->clear();
    iconv_t cd = iconv_open("UTF-16LE", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return result;
    result.reserve(bytes.size());
    starts->reserve(bytes.size());
    const int size = int(bytes.size());
    for (int pos = 0; pos < size;) {
        const int length = qMin(characterLength(uchar(bytes.at(pos))), size - pos);
        char16_t units[4];
        char *inPtr = const_cast<char *>(bytes.constData()) + pos;
        size_t inLeft = size_t(length);
        char *outPtr = reinterpret_cast<char *>(units);
        size_t outLeft = sizeof units;
        const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const int produced = int((sizeof units - outLeft) / 2);
        if (rc == size_t(-1) || produced == 0) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            result += QChar(0xFFFD);
            starts->append(pos);
        } else {
            for (int i = 0; i < produced; ++i) {
                result += QChar(units[i]);
                starts->append(pos);
            }
        }
        pos += length;
    }
    iconv_close(cd);
    return result;
}

} // namespace Gbk

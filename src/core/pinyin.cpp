#include "core/pinyin.h"

#include "core/gbk.h"

namespace {

struct Range {
    unsigned short last; // last code of the letter's block; blocks follow without gaps
    char letter;
};

// The first-level GB2312 block from B0A1, by the last code of each initial.
constexpr Range kRanges[] = {
    {0xB0C4, 'A'}, {0xB2C0, 'B'}, {0xB4ED, 'C'}, {0xB6E9, 'D'}, {0xB7A1, 'E'}, {0xB8C0, 'F'},
    {0xB9FD, 'G'}, {0xBBF6, 'H'}, {0xBFA5, 'J'}, {0xC0AB, 'K'}, {0xC2E7, 'L'}, {0xC4C2, 'M'},
    {0xC5B5, 'N'}, {0xC5BD, 'O'}, {0xC6D9, 'P'}, {0xC8BA, 'Q'}, {0xC8F5, 'R'}, {0xCBF9, 'S'},
    {0xCDD9, 'T'}, {0xCEF3, 'W'}, {0xD1B8, 'X'}, {0xD4D0, 'Y'}, {0xD7F9, 'Z'},
};
constexpr unsigned kFirst = 0xB0A1;

char initialOf(unsigned code)
{
    if (code < kFirst)
        return ' ';
    for (const Range &r : kRanges) {
        if (code <= r.last)
            return r.letter;
    }
    return ' ';
}

} // namespace

QString GetPinYinInitials(const QString &text)
{
    QString result;
    result.reserve(text.size());
    // Each character by its own GBK code. (Pairing the bytes of the whole text
    // two by two went wrong after the first one-byte character: "2型糖尿病"
    // came out as " TQ B".) Letters and digits stand for themselves, so that
    // "IgA肾病" is found by "IGA".
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            result += c.isLetterOrNumber() ? c.toUpper() : QLatin1Char(' ');
            continue;
        }
        const QByteArray gbk = Gbk::fromUnicode(QString(c));
        const unsigned code = gbk.size() == 2 ? unsigned(uchar(gbk.at(0))) * 256 + unsigned(uchar(gbk.at(1))) : 0;
        result += QLatin1Char(initialOf(code));
    }
    return result;
}

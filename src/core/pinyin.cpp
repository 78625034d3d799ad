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
    if (text.isEmpty())
        return result;
    // Every character is taken as two GBK bytes: character i reads bytes 2i and
    // 2i+1. ASCII characters therefore shift the pairing, as the stored search
    // codes of existing libraries expect.
    const QByteArray gbk = Gbk::fromUnicode(text);
    const qsizetype characters = text.size();
    result.reserve(characters);
    for (qsizetype i = 0; i < characters; ++i) {
        const qsizetype end = qMin<qsizetype>(2 * i + 2, gbk.size());
        unsigned code = 0;
        if (end >= 2)
            code = unsigned(uchar(gbk.at(end - 2))) * 256 + unsigned(uchar(gbk.at(end - 1)));
        else if (end == 1)
            code = unsigned(uchar(gbk.at(0))) * 256;
        result += QLatin1Char(initialOf(code));
    }
    return result;
}

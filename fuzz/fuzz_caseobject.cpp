// Feeds arbitrary bytes to the case reader. Whatever reads must write back
// and read again to the same case and the same bytes, and must survive the
// trip through JSON.
#include "app/casejson.h"
#include "case/caseobject.h"

#include <QBuffer>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Equal in every field, the birthday compared bit for bit (NaN included).
bool sameCase(TCaseObject a, TCaseObject b)
{
    if (!sameBits(a.Birthday, b.Birthday))
        return false;
    a.Birthday = b.Birthday = 0; // NaN never equals itself
    return a == b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);

    TCaseObject first;
    QString error;
    if (!first.ReadFromStream(stream, &error)) {
        check(!error.isEmpty(), "a failed read says why");
        return 0;
    }
    check(error.isEmpty(), "a good read leaves no error");

    const QByteArray written = first.toBytes();
    TCaseObject second;
    check(second.fromBytes(written, &error), "written form reads");
    check(sameCase(second, first), "read, write, read gives the same case");
    check(second.toBytes() == written, "writing is stable");

    TCaseObject fromJson;
    check(caseFromJson(caseToJson(first), fromJson, &error), "JSON form reads");
    // Qt's JSON reader drops the sign of -0 and a NaN's payload.
    const double b = first.Birthday;
    check(std::isnan(b) ? std::isnan(fromJson.Birthday) : fromJson.Birthday == b, "JSON birthday");
    fromJson.Birthday = first.Birthday;
    check(sameCase(fromJson, first), "JSON round trip");

    QStringList pieces(3);
    TCaseObject::SplitPackedText(first.PatientName, pieces);
    check(pieces.size() == 3, "split keeps the slot count");
    TCaseObject::AgeText(first.Birthday);
    return 0;
}

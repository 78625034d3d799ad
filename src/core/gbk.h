#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The one place that converts between Unicode and GBK (code page 936).
// Only behaviour that depends on GBK bytes uses it: pinyin initials, the
// rectangle printer's byte offsets, legacy text in stored case objects.
namespace Gbk {

// Characters without a GBK form become '?'.
QByteArray fromUnicode(const QString &text);

// Byte sequences that are not GBK become U+FFFD.
QString toUnicode(const QByteArray &bytes);

// Decodes character by character: `starts` receives the byte offset at which
// each character of the result begins (one entry per UTF-16 unit).
QString toUnicode(const QByteArray &bytes, QList<int> *starts);

// Byte length of the GBK character that begins with `lead`: 2 for a lead byte
// 0x81..0xFE, else 1.
inline int characterLength(uchar lead) { return lead >= 0x81 && lead <= 0xFE ? 2 : 1; }

} // namespace Gbk

#pragma once

#include <QByteArray>
#include <QString>

// The one place that converts between Unicode and GBK (code page 936).
// Only behaviour that depends on GBK bytes uses it: pinyin initials, the
// rectangle printer's byte offsets, legacy text in stored case objects.
namespace Gbk {

// Characters without a GBK form become '?'.
QByteArray fromUnicode(const QString &text);

// Byte sequences that are not GBK become U+FFFD.
QString toUnicode(const QByteArray &bytes);

} // namespace Gbk

#pragma once

#include <QString>

// One pinyin initial per character of a Chinese text, from the first-level
// block of GB2312 (ordered by pinyin). The search columns of drugs, herbs,
// formulas, fee items and diseases hold this text.
QString GetPinYinInitials(const QString &text);

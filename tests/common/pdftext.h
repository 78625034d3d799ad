#pragma once

#include <QString>

// The text of a PDF as pdftotext reads it, made comparable: NFKC folds the
// Kangxi radicals some CJK glyphs come back as (首), and the few radicals-
// supplement forms NFKC leaves alone (⻚ for 页) are mapped by hand. Pages end
// in form feeds. Empty when pdftotext fails.
QString PdfText(const QString &file);

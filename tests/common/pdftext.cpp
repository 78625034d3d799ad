#include "common/pdftext.h"

#include <QHash>
#include <QProcess>

QString PdfText(const QString &file)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0)
        return QString();
    QString text = QString::fromUtf8(pdftotext.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
    static const QHash<char16_t, char16_t> supplement = {
        {0x2EDA, u'页'}, {0x2EC5, u'见'}, {0x2EE2, u'马'}, {0x2EBB, u'门'}, {0x2ED3, u'长'},
        {0x2EA0, u'民'}, {0x2EA9, u'犭'}, {0x2EC4, u'西'}, {0x2EE3, u'骨'}, {0x2ED7, u'雨'},
        {0x2EE9, u'黄'}, {0x2EEB, u'齐'}, {0x2EED, u'齿'}, {0x2EF3, u'龟'}, {0x2EDB, u'风'},
        {0x2EDC, u'飞'}, {0x2EDD, u'食'}, {0x2EE0, u'饣'}, {0x2EE5, u'鱼'}, {0x2EE6, u'鸟'},
        {0x2EE8, u'麦'}, {0x2ECF, u'阝'}, {0x2ED4, u'长'}, {0x2EC8, u'讠'}, {0x2EC9, u'贝'},
        {0x2ECE, u'辶'}, {0x2ED1, u'钅'}, {0x2ED2, u'长'},
    };
    for (QChar &c : text) {
        const auto it = supplement.constFind(c.unicode());
        if (it != supplement.constEnd())
            c = QChar(*it);
    }
    return text;
}

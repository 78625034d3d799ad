#include "core/printgrid.h"

#include "core/printjob.h"

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QPainter>
#include <QTableView>

namespace {

const QString kMark = QStringLiteral("√");

} // namespace

int PrintGrid(QTableView *grid, PrintJob *job, bool drawLines, const QRect &area)
{
    const int left = area.left();
    const int top = area.top();
    const int right = area.left() + area.width();
    const int bottom = area.top() + area.height();
    if (!grid || !grid->model() || grid->model()->rowCount() == 0 || right <= left || bottom <= top || !job
        || !job->isActive())
        return -1;

    QAbstractItemModel *model = grid->model();
    QPainter &p = job->painter();
    const QString probe = QStringLiteral("正");
    const int screenCharWidth = qMax(1, grid->fontMetrics().horizontalAdvance(probe));
    const QFontMetrics fm = p.fontMetrics();
    const int charWidth = fm.horizontalAdvance(probe);
    const int charHeight = fm.height();
    const int lineHeight = fm.height();
    const int leading = qMax(0, fm.leading());

    QList<int> columns;
    QList<int> widths;
    for (int c = 0; c < model->columnCount(); ++c) {
        if (model->headerData(c, Qt::Horizontal).toString().startsWith(kMark)) {
            columns << c;
            widths << grid->columnWidth(c) / screenCharWidth * charWidth;
        }
    }

    p.save();
    if (!drawLines)
        p.setPen(Qt::white);
    const QPen textPen = drawLines ? p.pen() : QPen(job->bodyColor());
    auto text = [&](int x, int y, const QString &s) {
        const QPen linePen = p.pen();
        p.setPen(textPen);
        p.drawText(QPoint(x + leading, y + fm.ascent()), s);
        p.setPen(linePen);
    };

    int y = bottom + 1;
    int page = 1;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (y > bottom) {
            if (page >= 2)
                job->newPage();
            int x = left;
            p.drawLine(left, top, left, top + charHeight);
            for (int i = 0; i < columns.size(); ++i) {
                text(x, top, model->headerData(columns.at(i), Qt::Horizontal).toString().mid(kMark.size()));
                x += widths.at(i);
                p.drawLine(x, top, x, top + charHeight);
            }
            p.drawLine(left, top, x, top);
            p.drawLine(left, top + charHeight, x, top + charHeight);
            y = top;
            ++page;
        }
        y += leading + lineHeight;
        int x = left;
        p.drawLine(left, y - leading, left, y + charHeight);
        for (int i = 0; i < columns.size(); ++i) {
            text(x, y, model->data(model->index(row, columns.at(i))).toString());
            x += widths.at(i);
            p.drawLine(x, y - leading, x, y + charHeight);
            p.drawLine(left, y + charHeight, x, y + charHeight);
        }
    }
    p.restore();
    return y;
}

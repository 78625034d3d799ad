#include "core/recordgrid.h"

#include <QHeaderView>
#include <QTableView>

void SetUpRecordGrid(QTableView *grid)
{
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
}

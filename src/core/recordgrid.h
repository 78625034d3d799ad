#pragma once

class QTableView;

// A grid of records to pick from: whole rows, one at a time, read only, no
// row numbers, the last column filling the width.
void SetUpRecordGrid(QTableView *grid);

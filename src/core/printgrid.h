#pragma once

#include <QRect>

class PrintJob;
class QTableView;

// Prints the rows of a grid as a ruled table into `area` of the job's pages.
// Only columns whose title begins with "√" print (without the mark), their
// widths in the proportions of the screen measured in Chinese characters; the
// heading repeats on every page. Lines are drawn white when `drawLines` is
// false. Returns the top of the last printed row, or -1 when there is nothing
// to print (no grid, no rows, an empty area, no job in progress).
int PrintGrid(QTableView *grid, PrintJob *job, bool drawLines, const QRect &area);

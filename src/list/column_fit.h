#pragma once

class QTableView;

// Column fitting of the result list. Columns are numbered from 0, as
// ResultRow's column constants are.

// The width that makes a column as wide as the wider of its header and its
// widest cell, over all rows (any negative width does).
inline constexpr int FitHeaderAndCells = -2;

void SetColumnWidth(QTableView *list, int column, int width);
void AutoSizeColumns(QTableView *list, int width = FitHeaderAndCells);

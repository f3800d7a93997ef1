#pragma once
#include "list/engine/result_row.h"

#include <span>
#include <vector>

// The order a click on a column header gives: for each new position the
// row's old position. Texts compare without regard to case, the size column
// by the number it shows, the time column in time order, and equal keys keep
// their order either way.
// Empty when no row would move.
std::vector<int> SortedOrder(std::span<const ResultRow> rows, int column, bool descending);

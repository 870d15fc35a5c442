#pragma once

#include <vector>

class QTableView;

// Makes a table view look and behave as every grid of the program: the title row in the header
// colour, cells drawn on one line 2 pixels inside, a fixed row height, columns the user can
// resize, no row numbers, nothing editable in place.
void setUpSheetGrid(QTableView *grid, int rowHeight = 20);

// Puts the columns to the given widths, left to right, at every refresh; a column the user has
// widened or narrowed by hand keeps that width for the rest of the run.
void applyColumnWidths(QTableView *grid, const std::vector<int> &widths);

// The first and last selected rows of a grid (model rows); both -1 when nothing is selected.
struct GridRowRange
{
    int top = -1;
    int bottom = -1;
};
GridRowRange selectedRowRange(const QTableView *grid);

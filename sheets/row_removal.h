#pragma once

// Rows first to first + count - 1 leaving a grid whose table has already lost them: the register
// announces a removal once it is done, while the views are told of it before and after. Until
// they are told it is over, each row reads what it showed before.
struct RowRemoval
{
    int first = 0;
    int count = 0;

    // The row that shows now what row showed before; -1 for a row removed.
    int rowNow(int row) const
    {
        if (row < first)
            return row;
        return row < first + count ? -1 : row - count;
    }
};

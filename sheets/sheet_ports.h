#pragma once

#include <vector>

#include <QString>

class QWidget;
class DataSheetPort;

// What the sheets need of the main window: the commands on the note table as a whole and the
// refresh of both sheets.
class SheetHost
{
public:
    virtual ~SheetHost() = default;
    virtual void Delete1Click() = 0;
    virtual void Find1Click() = 0;
    virtual void AllUpdate() = 0;
    // The data sheet's 編集 hands a note index to the input sheet.
    virtual void editNote(int noteIndex) = 0;
    // The data sheet, for the input sheet's return to the full view after a registration.
    virtual DataSheetPort *dataSheetPort() const { return nullptr; }
    // A line in the main window's status bar: what a sheet has just done.
    virtual void showStatus(const QString &) { }
};

// What the main window needs of the data sheet.
class DataSheetPort
{
public:
    virtual ~DataSheetPort() = default;
    virtual QWidget *widget() = 0;
    // Grid rows of the current selection; row 0 is the title row, rows 1..n the listed notes.
    virtual int selectionTop() const = 0;
    virtual int selectionBottom() const = 0;
    virtual bool viewFiltered() const = 0;
    // The notes listed now (ViewIndex), in the grid's order.
    virtual const std::vector<int> &viewIndex() const = 0;
    // A search result: these notes in this order, under this caption. The caller refreshes.
    virtual void setIndex(const std::vector<int> &indices, const QString &caption) = 0;
    virtual void setIndexAll() = 0;
    virtual void DataUpdate() = 0;
    // Selects the row that lists this note and scrolls it into view; nothing when none does.
    virtual void showNote(int noteIndex) = 0;
};

// What the main window needs of the input sheet.
class InputSheetPort
{
public:
    virtual ~InputSheetPort() = default;
    virtual QWidget *widget() = 0;
    virtual void DataUpDate() = 0;
    virtual void setEditIndex(int noteIndex) = 0;
};

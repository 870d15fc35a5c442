#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QWidget>

#include "access/rights.h"
#include "sheets/note_grid.h"
#include "sheets/sheet_ports.h"
#include "store/register.h"

class QAction;
class QMenu;
class QTableView;
class NoteGridModel;
class Prompter;
struct Session;

// The list of the note register: one grid row per note of ViewIndex, with the partner's and the
// bank's names, and a context menu for editing, deleting, searching, re-classifying a received
// note and confirming its collection.
class DataSheet : public QWidget, public DataSheetPort
{
    Q_OBJECT
public:
    DataSheet(Session &state, SheetHost &host, Prompter &prompter, QWidget *parent = nullptr);
    ~DataSheet() override;

    QWidget *widget() override { return this; }
    int selectionTop() const override;
    int selectionBottom() const override;
    bool viewFiltered() const override { return ViewFiltered != 0; }
    void setIndexAll() override;
    void DataUpdate() override;
    void showNote(int noteIndex) override;

    // A search result: these notes in this order, under this caption. The caller refreshes.
    void setIndex(const std::vector<std::int32_t> &indices, const QString &caption) override;
    const std::vector<std::int32_t> &viewIndex() const override { return ViewIndex; }
    NoteGridModel *model() const { return model_; }

    // A press on the grid at pos (viewport coordinates); only the right button does anything: it
    // selects the row under the pointer and opens the menu.
    void SG1MouseDown(Qt::MouseButton button, const QPoint &pos);
    void Edit1Click();
    void Delete1Click();
    void Find1Click();
    void WARIBIKI1Click();
    void URAGAKI1Click();
    void SHONIN1Click();

    QTableView *SG1 = nullptr;
    // Kept outside the widget tree: its items bear the same names as the main window's menu
    // items, which the main window finds by name among its descendants.
    std::unique_ptr<QMenu> PopupMenu1;
    QAction *Edit1 = nullptr;
    QAction *Delete1 = nullptr;
    QAction *Find1 = nullptr;
    QAction *WARIBIKI1 = nullptr;
    QAction *URAGAKI1 = nullptr;
    QAction *SHONIN1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setCaption(const QString &caption);
    void buildGrid();
    void buildMenu();
    QAction *addMenuItem(const char *name, const QString &caption, void (DataSheet::*handler)());
    void applyColumns();
    void selectRows(int top, int bottom);
    void selectRowAt(const QPoint &pos);
    GridSelection currentSelection() const;
    // The note of the single selected row in the full view; -1 when there is none.
    int selectedNote() const;
    void changeSelectedNote(
        const QString &question, const std::function<ChangeOutcome(Register &, int)> &change);
    void registerChanged(const RegisterChange &change);
    // Whether the rights let the grid show notes.
    bool showsNotes() const;
    // Selects grid rows top to bottom again after the rows changed; row 0 is the title row.
    void keepSelection(int top, int bottom);
    bool mayUse(MenuCommand command) const;

    Session &state_;
    SheetHost &host_;
    Prompter &prompter_;
    std::vector<std::int32_t> ViewIndex;
    int ViewFiltered = 0;
    bool viewMoved_ = false; // ViewIndex lists other notes than the rows since the last refresh
    NoteGridModel *model_ = nullptr;
};

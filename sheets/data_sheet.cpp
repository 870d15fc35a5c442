#include "sheets/data_sheet.h"

#include <algorithm>
#include <numeric>

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>
#include <QVBoxLayout>

#include "access/rights.h"
#include "controls/grid_delegate.h"
#include "controls/prompter.h"
#include "controls/screen_font.h"
#include "controls/sheet_grid.h"
#include "session/session.h"
#include "sheets/note_grid_model.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int RowHeight = 20;
// The menu opens beside the pointer, not under it.
constexpr int MenuOffset = 10;

} // namespace

DataSheet::DataSheet(Session &state, SheetHost &host, Prompter &prompter, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , host_(host)
    , prompter_(prompter)
{
    setObjectName(u"Form3"_s);
    setCaption(u"データシート(全件表示）"_s);
    setFont(screenFont());
    resize(424, 540);
    ViewIndex = allNoteIndices(state_.NoteTable.size());
    buildGrid();
    buildMenu();
    DataUpdate();
    connect(&state_.Data, &Register::changed, this, &DataSheet::registerChanged);
}

// Every change to the register shows at once, in the rows it touched; one in the number of notes
// lists all notes again, since the listed indices no longer name the same notes. The rows stay
// selected as after a refresh.
void DataSheet::registerChanged(const RegisterChange &change)
{
    if (change.table == DataTable::NoteTable && change.resizes())
        setIndexAll();
    // Rows follow a change only where they list the notes the view lists: notes listed anew, or
    // rights that came, since the last refresh show all rows anew.
    if (viewMoved_ || model_->showsNotes() != showsNotes()) {
        DataUpdate();
        return;
    }
    const int top = selectionTop();
    const int bottom = selectionBottom();
    model_->follow(change, ViewFiltered == 0);
    applyColumns();
    keepSelection(top, bottom);
}

DataSheet::~DataSheet() = default;

// Inside the main window the sheet is no window of its own, so its caption is also given to
// accessibility tools by name.
void DataSheet::setCaption(const QString &caption)
{
    setWindowTitle(caption);
    setAccessibleName(caption);
}

void DataSheet::buildGrid()
{
    SG1 = new QTableView(this);
    SG1->setObjectName(u"SG1"_s);
    SG1->setAccessibleName(u"手形一覧"_s);
    model_ = new NoteGridModel(state_.Data, ViewIndex, this);
    SG1->setModel(model_);
    setUpSheetGrid(SG1, RowHeight);
    SG1->setSelectionBehavior(QAbstractItemView::SelectRows);
    SG1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    SG1->setFocusPolicy(Qt::ClickFocus);
    SG1->setTabKeyNavigation(false);

    // The right button selects the row under it and opens the menu beside the pointer.
    SG1->setContextMenuPolicy(Qt::PreventContextMenu);
    SG1->viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    SG1->viewport()->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(SG1);
}

QAction *DataSheet::addMenuItem(
    const char *name, const QString &caption, void (DataSheet::*handler)())
{
    QAction *item = PopupMenu1->addAction(caption);
    item->setObjectName(QLatin1String(name));
    connect(item, &QAction::triggered, this, handler);
    return item;
}

void DataSheet::buildMenu()
{
    PopupMenu1 = std::make_unique<QMenu>();
    PopupMenu1->setObjectName(u"PopupMenu1"_s);
    PopupMenu1->setAccessibleName(u"データシートのメニュー"_s);
    PopupMenu1->setFont(screenFont());
    Edit1 = addMenuItem("Edit1", u"編集"_s, &DataSheet::Edit1Click);
    Delete1 = addMenuItem("Delete1", u"削除"_s, &DataSheet::Delete1Click);
    Find1 = addMenuItem("Find1", u"検索"_s, &DataSheet::Find1Click);
    WARIBIKI1 = addMenuItem("WARIBIKI1", u"割引手形に振替"_s, &DataSheet::WARIBIKI1Click);
    URAGAKI1 = addMenuItem("URAGAKI1", u"裏書手形に振替"_s, &DataSheet::URAGAKI1Click);
    SHONIN1 = addMenuItem("SHONIN1", u"取立て確認"_s, &DataSheet::SHONIN1Click);
    // The main window's menu owns these keys; here they are shown, and act only inside the
    // open menu, so the two never compete for them.
    const auto showKey = [](QAction *item, const QString &key) {
        item->setShortcut(QKeySequence(key));
        item->setShortcutContext(Qt::WidgetShortcut);
        item->setShortcutVisibleInContextMenu(true);
    };
    showKey(Delete1, u"Shift+Del"_s);
    showKey(Find1, u"Ctrl+F"_s);
}

void DataSheet::applyColumns()
{
    applyColumnWidths(SG1, model_->columnWidths());
}

bool DataSheet::showsNotes() const
{
    return state_.CurrentUser.Permissions != 0;
}

void DataSheet::DataUpdate()
{
    const int top = selectionTop();
    const int bottom = selectionBottom();
    model_->refresh(showsNotes());
    viewMoved_ = false;
    applyColumns();
    keepSelection(top, bottom);
}

// Grid rows stay selected across a refresh, as the rows themselves stay; with none selected there
// is no current row either.
void DataSheet::keepSelection(int top, int bottom)
{
    if (top < 1) {
        SG1->selectionModel()->clearCurrentIndex();
        return;
    }
    selectRows(top - 1, bottom - 1);
}

void DataSheet::selectRows(int top, int bottom)
{
    const int last = model_->rowCount() - 1;
    if (top < 0 || bottom < top || last < 0)
        return;
    top = std::min(top, last);
    bottom = std::min(bottom, last);
    const QItemSelection rows(
        model_->index(top, 0), model_->index(bottom, NoteGridColumnCount - 1));
    SG1->selectionModel()->select(
        rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    SG1->selectionModel()->setCurrentIndex(model_->index(top, 0), QItemSelectionModel::NoUpdate);
}

void DataSheet::showNote(int noteIndex)
{
    const auto listed = std::find(ViewIndex.begin(), ViewIndex.end(), noteIndex);
    if (listed == ViewIndex.end())
        return;
    const int row = static_cast<int>(listed - ViewIndex.begin());
    selectRows(row, row);
    // Down to the row, leaving the columns scrolled as they are.
    SG1->scrollTo(model_->index(row, std::max(SG1->columnAt(0), 0)));
}

int DataSheet::selectionTop() const
{
    const int top = selectedRowRange(SG1).top;
    return top < 0 ? -1 : top + 1;
}

int DataSheet::selectionBottom() const
{
    const int bottom = selectedRowRange(SG1).bottom;
    return bottom < 0 ? -1 : bottom + 1;
}

void DataSheet::setIndexAll()
{
    const std::size_t notes = state_.NoteTable.size();
    if (ViewFiltered != 0) {
        ViewIndex = allNoteIndices(notes);
        viewMoved_ = true;
    } else {
        // The full view lists 0, 1, … already: only its end moves with the number of notes.
        const std::size_t listed = std::min(ViewIndex.size(), notes);
        ViewIndex.resize(notes);
        std::iota(ViewIndex.begin() + static_cast<std::ptrdiff_t>(listed), ViewIndex.end(),
            static_cast<std::int32_t>(listed));
    }
    setCaption(u"データシート(全件表示)"_s);
    ViewFiltered = 0;
}

void DataSheet::setIndex(const std::vector<std::int32_t> &indices, const QString &caption)
{
    ViewIndex = indices;
    viewMoved_ = true;
    setCaption(caption);
    ViewFiltered = 1;
}

GridSelection DataSheet::currentSelection() const
{
    GridSelection s;
    s.top = selectionTop();
    s.bottom = selectionBottom();
    s.filtered = ViewFiltered != 0;
    s.code = model_->cellText(s.top - 1, PartnerCodeColumn);
    s.settled = model_->cellText(s.top - 1, SettledColumn);
    s.kind = model_->cellText(s.top - 1, KindColumn);
    return s;
}

void DataSheet::SG1MouseDown(Qt::MouseButton button, const QPoint &pos)
{
    if (button != Qt::RightButton)
        return;
    selectRowAt(pos);
    const PopupItems items = popupItems(currentSelection());
    Edit1->setEnabled(items.Edit1);
    Find1->setEnabled(items.Find1);
    // A read-only copy offers nothing that would change the register, and 削除 and 取立て確認
    // need the rights their main menu items need.
    const bool writable = !state_.Data.readOnly();
    Delete1->setEnabled(items.Delete1 && writable && mayUse(MenuCommand::Delete1));
    WARIBIKI1->setEnabled(items.WARIBIKI1 && writable);
    URAGAKI1->setEnabled(items.URAGAKI1 && writable);
    SHONIN1->setEnabled(items.SHONIN1 && writable && mayUse(MenuCommand::N3));
    PopupMenu1->popup(SG1->viewport()->mapToGlobal(pos + QPoint(MenuOffset, 0)));
}

// As any grid on the desktop: a press on a row outside the selection selects that row alone, one
// inside it keeps the rows for the main window's 削除, and one below the rows selects nothing.
void DataSheet::selectRowAt(const QPoint &pos)
{
    const QModelIndex at = SG1->indexAt(pos);
    if (!at.isValid()) {
        SG1->clearSelection();
        return;
    }
    if (!SG1->selectionModel()->isRowSelected(at.row(), QModelIndex()))
        selectRows(at.row(), at.row());
}

bool DataSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == SG1->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *press = static_cast<QMouseEvent *>(event);
        if (press->button() == Qt::RightButton) {
            SG1MouseDown(press->button(), press->position().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int DataSheet::selectedNote() const
{
    return currentSelection().fullViewNote(state_.NoteTable.size());
}

void DataSheet::Edit1Click()
{
    const int note = selectedNote();
    if (note >= 0)
        host_.editNote(note);
}

// What the main menu's 編集(E) item of the same command needs, the context menu needs too.
bool DataSheet::mayUse(MenuCommand command) const
{
    const std::uint8_t rights = state_.CurrentUser.Permissions;
    return menuCommandOpen(MenuCommand::Edit1, rights) && menuCommandOpen(command, rights);
}

void DataSheet::Delete1Click()
{
    // Its shortcut reaches here without the menu.
    if (mayUse(MenuCommand::Delete1))
        host_.Delete1Click();
}

void DataSheet::Find1Click()
{
    host_.Find1Click();
}

void DataSheet::changeSelectedNote(
    const QString &question, const std::function<ChangeOutcome(Register &, int)> &change)
{
    const int note = selectedNote();
    if (note < 0)
        return;
    const bool asked =
        prompter_.message(this, MessageKind::Information, question, MessageButtons::OkCancel)
        == MessageAnswer::Ok;
    // A change refreshes both sheets through the register; without one the sheets are still
    // refreshed as after any answer.
    if (!asked || change(state_.Data, note) != ChangeOutcome::Done)
        host_.AllUpdate();
}

void DataSheet::WARIBIKI1Click()
{
    changeSelectedNote(u"\n割引手形に変更してもよろしいですか？"_s,
        [](Register &reg, int note) { return reg.reclassifyNote(note, DiscountedNote); });
}

void DataSheet::URAGAKI1Click()
{
    changeSelectedNote(u"\n裏書手形に変更してもよろしいですか？"_s,
        [](Register &reg, int note) { return reg.reclassifyNote(note, EndorsedNote); });
}

void DataSheet::SHONIN1Click()
{
    if (!mayUse(MenuCommand::N3))
        return;
    changeSelectedNote(u"\n取立て済みに変更してもよろしいですか？"_s,
        [](Register &reg, int note) { return reg.settleNote(note); });
}

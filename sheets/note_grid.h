#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QString>

#include "controls/sheet_grid_model.h"
#include "session/session.h"
#include "sheets/name_index.h"

// The twelve fields of a note as the data sheet shows them, by column.
enum NoteGridColumnIndex {
    PartnerCodeColumn = 0,
    PartnerNameColumn,
    BankCodeColumn,
    BankNameColumn,
    NoteNumberColumn,
    IssueDateColumn,
    DueDateColumn,
    AmountColumn,
    SettledColumn,
    KindColumn,
    RemarksColumn,
    EnteredByColumn,
};

// The twelve columns of the note grid: titles, the widths every refresh restores, alignment.
inline constexpr std::array<GridColumn, 12> NoteGridColumns { {
    { u"コード", 40 },
    { u"取引先名", 128, Qt::AlignLeft, true },
    { u"コード", 52 },
    { u"支払銀行名", 128, Qt::AlignLeft, true },
    { u"手形番号", 68 },
    { u"振出日", 64 },
    { u"支払日", 64 },
    { u"金額", 64, Qt::AlignRight },
    { u"到来", 32 },
    { u"種類", 54, Qt::AlignLeft, true },
    { u"備考", 128, Qt::AlignLeft, true },
    { u"入力者", 64, Qt::AlignLeft, true },
} };
inline constexpr int NoteGridColumnCount = static_cast<int>(NoteGridColumns.size());
static_assert(NoteGridColumnCount == EnteredByColumn + 1);

inline constexpr char16_t SettledMark[] = u"〇";
inline constexpr char16_t UnsettledMark[] = u"×";

// The texts of one note's row: codes, names looked up by code (the last match), dates, amount,
// marks, kind. Every screen that shows a note's fields writes them here.
class NoteCells
{
public:
    explicit NoteCells(const Tables &tables)
        : tables_(tables)
    {
    }

    // Reads the registers again; called at every refresh.
    void rebuild();
    QString text(const NoteRecord &note, int column) const;

private:
    const Tables &tables_;
    NameIndex<PartnerRecord> partners_;
    NameIndex<BankRecord> banks_;
};

// ViewIndex of the full view: every note, in table order.
std::vector<std::int32_t> allNoteIndices(std::size_t noteCount);

// Which items of the data sheet's context menu are open.
struct PopupItems
{
    bool Edit1 = false;
    bool Delete1 = false;
    bool Find1 = true;
    bool WARIBIKI1 = false;
    bool URAGAKI1 = false;
    bool SHONIN1 = false;
};

// The selected grid rows (row 0 is the title row), whether a search result is shown, and the
// texts of the selected row's code, settled and kind cells.
struct GridSelection
{
    int top = -1;
    int bottom = -1;
    bool filtered = false;
    QString code;
    QString settled;
    QString kind;

    // One row selected while every note is listed: only then does grid row r show note r - 1.
    bool singleRowOfFullView() const { return top == bottom && !filtered; }
    // The note that row shows; -1 for several rows, a search result, the title row or a row past
    // the last note.
    int fullViewNote(std::size_t noteCount) const
    {
        const bool showsNote = top >= 1 && static_cast<std::size_t>(top) <= noteCount;
        return singleRowOfFullView() && showsNote ? top - 1 : -1;
    }
};

// The actions work on NoteTable[row - 1], which is the shown note only in the full view, and
// only for a single row that shows a note.
PopupItems popupItems(const GridSelection &selection);

#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QDate>
#include <QString>

#include "session/session.h"
#include "sheets/note_grid.h"

// The data sheet's fields the approval list shows, in its column order; the stamp follows them.
inline constexpr std::array<NoteGridColumnIndex, 5> ApprovalFields { {
    PartnerCodeColumn,
    PartnerNameColumn,
    NoteNumberColumn,
    AmountColumn,
    DueDateColumn,
} };
inline constexpr int StampColumn = static_cast<int>(ApprovalFields.size());

// A field's column titled and aligned as on the data sheet, at the approval list's own width.
constexpr GridColumn approvalFieldColumn(int column, int width)
{
    GridColumn shown = NoteGridColumns[ApprovalFields[static_cast<std::size_t>(column)]];
    shown.width = width;
    return shown;
}

// The six columns of the approval list: titles, widths and how each is aligned.
inline constexpr std::array<GridColumn, 6> ApprovalColumns { {
    approvalFieldColumn(0, 40),
    approvalFieldColumn(1, 128),
    approvalFieldColumn(2, 64),
    approvalFieldColumn(3, 64),
    approvalFieldColumn(4, 64),
    { u"承認印", 64, Qt::AlignHCenter },
} };
inline constexpr int ApprovalColumnCount = static_cast<int>(ApprovalColumns.size());
static_assert(StampColumn == ApprovalColumnCount - 1);

inline constexpr char16_t ApprovedStamp[] = u"承認済";
inline constexpr char16_t UnapprovedStamp[] = u"未承認";

// The notes the approval list shows, by note index, and the user's choice for each: 1 to mark
// the note settled, 0 to leave it unsettled. Nothing reaches the notes before apply.
class ApprovalChoices
{
public:
    // The listed notes in the order given; each choice starts from the note's Settled.
    void setArr(const Notes &notes, const std::vector<int> &indices);

    const std::vector<int> &DueNotes() const { return DueNotes_; }
    const std::vector<std::uint8_t> &choices() const { return ApprovalChoices_; }
    int count() const { return static_cast<int>(DueNotes_.size()); }
    bool approved(int row) const;

    // Flips one row's choice; false for a row that is not listed.
    bool toggle(int row);
    void approveAll();
    // Writes the choices into the notes; answers how many notes changed, -1 when read-only.
    int apply(Register &data) const;

private:
    std::vector<int> DueNotes_;
    std::vector<std::uint8_t> ApprovalChoices_;
};

// "12月7日現在　期日到来で未承認の手形は3件　あります。"
QString approvalStatusLine(QDate today, int count);

// The texts of one listed note's row, written as the data sheet writes those fields; the
// partner's name as every screen shows it, the last partner in table order that bears the code.
class ApprovalCells
{
public:
    explicit ApprovalCells(const Register &data)
        : cells_(data.tables())
    {
    }

    // Reads the registers again; called at every refresh.
    void rebuild() { cells_.rebuild(); }
    // Columns 0 to 4; the stamp column is drawn from the choice, not from the note.
    QString text(const NoteRecord &note, int column) const;

private:
    NoteCells cells_;
};

QString stampText(bool approved);

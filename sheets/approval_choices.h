#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QDate>
#include <QString>

#include "sheets/name_index.h"
#include "store/app_state.h"

// The six columns of the approval list: titles, widths and how each is aligned.
struct ApprovalColumn
{
    const char16_t *title;
    int width;
    Qt::Alignment alignment;
};

inline constexpr std::array<ApprovalColumn, 6> ApprovalColumns { {
    { u"コード", 40, Qt::AlignLeft },
    { u"取引先名", 128, Qt::AlignLeft },
    { u"手形番号", 64, Qt::AlignLeft },
    { u"金額", 64, Qt::AlignRight },
    { u"支払日", 64, Qt::AlignLeft },
    { u"承認印", 64, Qt::AlignHCenter },
} };
inline constexpr int ApprovalColumnCount = static_cast<int>(ApprovalColumns.size());
inline constexpr int StampColumn = 5;

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
    // Writes the choices into the notes; answers how many notes changed.
    int apply(AppState &state) const;

private:
    std::vector<int> DueNotes_;
    std::vector<std::uint8_t> ApprovalChoices_;
};

// "12月7日現在　期日到来で未承認の手形は3件　あります。"
QString approvalStatusLine(QDate today, int count);

// The texts of one listed note's row; the partner's name as every screen shows it, the last
// partner in table order that bears the code.
class ApprovalCells
{
public:
    explicit ApprovalCells(const AppState &state)
        : state_(state)
    {
    }

    // Reads the partner register again; called at every refresh.
    void rebuild() { partners_.rebuild(state_.PartnerTable); }
    // Columns 0 to 4; the stamp column is drawn from the choice, not from the note.
    QString text(const NoteRecord &note, int column) const;

private:
    const AppState &state_;
    NameIndex<PartnerRecord> partners_;
};

QString stampText(bool approved);

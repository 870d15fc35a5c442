#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QString>

#include "core/money.h"
#include "core/records.h"

// でんさい (電子記録債権): electronic records kept beside paper notes. A でんさい is a note of the
// designed kinds; what paper has no room for (the medium, the record number, the parent record
// after a split, the guarantee kept on a transfer) is its extension.
namespace densai {

enum class Medium : std::uint8_t { Paper = 0, Densai = 1 };

// 記録番号: 20 characters, digits and upper-case letters other than I, O and Z (leaving those
// out catches 0/O and 1/I typos). The first 9 are a 利用者番号, the other 11 the network's own.
inline constexpr int RecordNumberLength = 20;
// The note number holds the record number's last characters, as many as it has room for.
inline constexpr int NoteNumberDigits = 10;

class RecordNumber
{
public:
    RecordNumber() = default;
    // Exactly 20 allowed characters, or nothing.
    static std::optional<RecordNumber> fromBytes(std::string_view bytes);
    bool empty() const { return chars_[0] == 0; }
    std::string_view view() const;
    QString text() const { return QString::fromLatin1(view().data(), view().size()); }
    // The last ten characters: what the note number shows.
    std::string_view noteNumber() const;
    bool operator==(const RecordNumber &) const = default;
    auto operator<=>(const RecordNumber &) const = default;

private:
    std::array<char, RecordNumberLength> chars_ {};
};

// Whether c may stand in a record number.
bool isRecordNumberCharacter(char c);

// Amounts a でんさい may carry: 1円 to 99億9999万9999円.
inline constexpr Money SmallestAmount = Money::fromStored(1 * Money::Scale);
inline constexpr Money LargestAmount = Money::fromStored(9'999'999'999LL * Money::Scale);
bool amountAllowed(Money amount);

// What a note carries beyond its record. note is its index in the note table.
struct NoteExtension
{
    std::int32_t note = -1;
    Medium medium = Medium::Densai;
    RecordNumber number;
    RecordNumber parent; // after a split: the record it was split from; empty otherwise
    bool guarantee = false; // transferred with 譲渡保証記録 kept
    // Whom it was transferred or discounted to when split off: a partner's or a bank's code.
    ShortText<8> transferee;
    bool operator==(const NoteExtension &) const = default;
};

// What a note was when its extension was last saved with it: enough for the clerk to recognise
// it once the note file was changed by another program.
struct NoteSummary
{
    double DueDate = 0;
    Money Amount;
    ShortText<10> NoteNumber;
    ShortText<5> PartnerCode;
    bool operator==(const NoteSummary &) const = default;
};
NoteSummary summaryOf(const NoteRecord &note);

// An extension whose note could not be found when the register was read: kept, never attached to
// a note by guess, until the user attaches it to one or removes it.
struct StrayExtension
{
    NoteExtension extension; // note is -1
    std::uint32_t position = 0; // where its note stood
    std::uint64_t fingerprint = 0; // of its note's stored bytes
    NoteSummary was;
    bool operator==(const StrayExtension &) const = default;
};

// The extensions of a register's notes: at most one per note, in note order, and those kept aside.
class NoteExtensions
{
public:
    const std::vector<NoteExtension> &attached() const { return attached_; }
    const std::vector<StrayExtension> &stray() const { return stray_; }
    bool empty() const { return attached_.empty() && stray_.empty(); }

    // The extension of a note; nullptr for a note without one (a paper note).
    const NoteExtension *of(int note) const;
    bool isDensai(int note) const;
    // The note that carries this record number (as its own), or -1.
    int noteWithNumber(const RecordNumber &number) const;

    // Gives a note its extension (extension.note names it), or replaces the one it had.
    void set(const NoteExtension &extension);
    void erase(int note);
    // The note at index left the table: its extension goes, later ones move up with their notes.
    void noteRemoved(int note);
    void keepAside(const StrayExtension &stray) { stray_.push_back(stray); }
    void eraseStray(int position) { stray_.erase(stray_.begin() + position); }
    // Installs extensions already in note order, one per note at most (as read).
    void assign(std::vector<NoteExtension> attached, std::vector<StrayExtension> stray);

    bool operator==(const NoteExtensions &) const = default;

private:
    std::vector<NoteExtension>::const_iterator find(int note) const;
    std::vector<NoteExtension> attached_;
    std::vector<StrayExtension> stray_;
};

// Transfers, splits and discounting of a でんさい are refused by the network from some bank days
// before its 支払期日 until 3 bank days after it. The days before are 2 in the network's own FAQ
// (でんさいネット「よくあるご質問」, 2024); some banks still apply 6. tegata.ini may set them.
inline constexpr int DefaultDaysBeforeDue = 2;
inline constexpr int DaysAfterDue = 3;

// A child split off a received でんさい, and what happens to it at once.
struct SplitChild
{
    Money amount;
    RecordNumber number; // from the bank's notice
    NoteKind kind = EndorsedNote; // 譲渡 (EndorsedNote) or 割引 (DiscountedNote)
    QByteArray transferee; // the partner's code (譲渡) or the bank's (割引)
    bool guarantee = false; // 譲渡 with 譲渡保証記録
    QDate recorded; // the day the split is recorded
};

enum class SplitProblem {
    None,
    NotHeld, // not an unsettled received でんさい
    Amount, // not 1円 up to the face less 1円
    Number, // no record number, or the parent's own
    NumberTaken, // another note carries it already
    Transferee, // no partner or bank named
    Blocked, // recorded in the period before and after 支払期日 when the network refuses it
};
// What stands against splitting note (of extensions) as child says; None when nothing does.
SplitProblem splitProblem(const NoteRecord &note, const NoteExtension *extension,
    const NoteExtensions &extensions, const SplitChild &child, int daysBefore);

// The first and last days of the period in which a でんさい due on due cannot be transferred,
// split or discounted. 支払期日 that is not a bank day counts from the next bank day.
struct BlockedPeriod
{
    QDate first;
    QDate last;
    bool contains(QDate day) const { return day >= first && day <= last; }
};
BlockedPeriod blockedPeriod(QDate due, int daysBefore);
// The last day a transfer, split or discount of it can still be recorded.
QDate lastTransferDay(QDate due, int daysBefore);

} // namespace densai
